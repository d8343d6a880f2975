#include "job/jobreport.h"

#include "util/savefile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <QUrl>
#include <algorithm>
#include <limits>

namespace {

constexpr int PdfResolution = 300;

} // namespace

QString JobReport::html(const QString &jobDir, QString *error)
{
    Content content;
    if (!build(jobDir, &content, error))
        return QString();
    QString text = content.html;
    for (auto it = content.images.cbegin(); it != content.images.cend(); ++it) {
        const QString uri
            = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(it.value().toBase64());
        text.replace(QStringLiteral("src=\"%1\"").arg(it.key()),
                     QStringLiteral("src=\"%1\"").arg(uri));
    }
    return text;
}

bool JobReport::writeHtml(const QString &jobDir, const QString &path, QString *error)
{
    const QString text = html(jobDir, error);
    return !text.isEmpty() && SaveFile::write(path, text.toUtf8(), error);
}

namespace {

constexpr double MarginCm = 1.8;
constexpr double DocumentDpi = 96;

QTextBlock lastBlockOf(const QTextTableCell &cell)
{
    return cell.lastCursorPosition().block();
}

struct RowSpan
{
    double top = std::numeric_limits<double>::max();
    double bottom = 0;
};

RowSpan rowSpan(QTextDocument *document, QTextTable *table, int row)
{
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    RowSpan span;
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        if (cell.row() != row || cell.column() != c)
            continue; // spanned from above or from the left
        span.top = std::min(span.top,
                            layout->blockBoundingRect(cell.firstCursorPosition().block()).top());
        span.bottom = std::max(span.bottom, layout->blockBoundingRect(lastBlockOf(cell)).bottom());
    }
    return span;
}

// A row of one cell across the table: the name of the group of rows under it.
bool isGroupRow(QTextTable *table, int row)
{
    return table->columns() > 1 && table->cellAt(row, 0).columnSpan() == table->columns();
}

// Table rows are not split across pages: the row before one that would be is made taller, by
// padding below its text, until the row starts below the page's last line; Qt then lays it
// out on the next page. A group's name goes along with its first row. A row taller than half a
// page may still be split.
// Laying out is most of the PDF's time: `progress` hears of it up to `share` percent.
bool keepRowsWhole(QTextDocument *document, double margin, const JobReport::Progress &progress,
                   int share)
{
    const double page = document->pageSize().height();
    const double scale
        = document->documentLayout()->paintDevice()
              ? document->documentLayout()->paintDevice()->logicalDpiY() / DocumentDpi
              : 1.0;
    int rows = 0;
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame))
            rows += table->rows();
    }
    int done = 0;
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        for (int r = 1; table && r < table->rows(); ++r) {
            if (progress && !progress(share * (done + r) / qMax(1, rows)))
                return false;
            const RowSpan span = rowSpan(document, table, r);
            const int first = int(span.top / page);
            if (span.bottom <= span.top || int(span.bottom / page) == first
                || span.bottom - span.top > page / 2)
                continue;
            const int moved = r > 2 && isGroupRow(table, r - 1) ? r - 1 : r;
            const double needed = (first + 1) * page - margin * scale
                                  - rowSpan(document, table, moved).top + 2 * scale;
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(moved - 1, c);
                if (cell.row() != moved - 1 || cell.column() != c)
                    continue;
                QTextTableCellFormat format = cell.format().toTableCellFormat();
                const double padding = format.hasProperty(QTextFormat::TableCellBottomPadding)
                                           ? format.bottomPadding()
                                           : table->format().cellPadding();
                format.setBottomPadding(padding + needed / scale);
                cell.setFormat(format);
            }
            // Qt lays out again only part of what follows a changed cell: all of it, so the
            // rows below are measured where they now are.
            document->markContentsDirty(0, document->characterCount());
        }
        if (table)
            done += table->rows();
    }
    return true;
}

// The report laid out on the pages of `device`: the images as resources under their names
// (QTextDocument reads no data: URIs), the margins inside the page.
bool layOut(QTextDocument *document, const JobReport::Content &content, QPagedPaintDevice *device,
            const JobReport::Progress &progress = JobReport::Progress(), int share = 0)
{
    for (auto it = content.images.cbegin(); it != content.images.cend(); ++it)
        document->addResource(QTextDocument::ImageResource, QUrl(it.key()),
                              QImage::fromData(it.value(), "PNG"));
    document->documentLayout()->setPaintDevice(device);
    document->setHtml(content.html);
    // The layout takes the frame's margin in the document's own pixels (96 per inch) and
    // scales it to the device.
    QTextFrameFormat frame = document->rootFrame()->frameFormat();
    frame.setMargin(MarginCm / 2.54 * DocumentDpi);
    document->rootFrame()->setFrameFormat(frame);
    document->setPageSize(QSizeF(device->width(), device->height()));
    return keepRowsWhole(document, MarginCm / 2.54 * DocumentDpi, progress, share);
}

// A writer of the report's pages; the document keeps the margins.
void setUp(QPdfWriter *writer, QPageSize::PageSizeId page)
{
    writer->setResolution(PdfResolution);
    writer->setPageSize(QPageSize(page));
    writer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer->setCreator(QStringLiteral("Tarvik"));
    writer->setTitle(JobReport::tr("Service job report"));
}

// Page `index` of the laid-out document, with its number in the bottom margin.
void paintPage(QPainter *painter, QTextDocument *document, int index, int dpi)
{
    const QSizeF size = document->pageSize();
    const double margin = MarginCm / 2.54 * dpi;
    const QRectF view(0, index * size.height(), size.width(), size.height());
    painter->save();
    painter->translate(0, -view.top());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    document->documentLayout()->draw(painter, context);
    painter->restore();
    QFont footer = document->defaultFont();
    footer.setPixelSize(qRound(7.0 / 72 * dpi)); // in the writer's pixels, whatever paints
    painter->setFont(footer);
    painter->drawText(
        QRectF(margin, size.height() - margin * 0.8, size.width() - 2 * margin, margin * 0.5),
        Qt::AlignRight | Qt::AlignVCenter,
        JobReport::tr("Page %1 of %2").arg(index + 1).arg(document->pageCount()));
}

} // namespace

QByteArray JobReport::pdf(const Content &content, QPageSize::PageSizeId page,
                          const Progress &progress)
{
    constexpr int LayoutShare = 80;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    setUp(&writer, page);
    QTextDocument document;
    if (!layOut(&document, content, &writer, progress, LayoutShare))
        return QByteArray();
    QPainter painter(&writer);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (progress && !progress(LayoutShare + (100 - LayoutShare) * i / pages)) {
            painter.end();
            return QByteArray();
        }
        if (i > 0)
            writer.newPage();
        paintPage(&painter, &document, i, writer.logicalDpiY());
    }
    painter.end();
    return bytes;
}

QVector<QImage> JobReport::pageImages(const Content &content, QPageSize::PageSizeId page, int dpi)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    setUp(&writer, page);
    QTextDocument document;
    layOut(&document, content, &writer);
    const double scale = double(dpi) / writer.logicalDpiY();
    QVector<QImage> images;
    for (int i = 0; i < document.pageCount(); ++i) {
        QImage image((document.pageSize() * scale).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(scale, scale);
        paintPage(&painter, &document, i, writer.logicalDpiY());
        painter.end();
        images << image;
    }
    return images;
}

QStringList JobReport::pageTexts(const Content &content, QPageSize::PageSizeId page)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    setUp(&writer, page);
    QTextDocument document;
    layOut(&document, content, &writer);
    const double height = document.pageSize().height();
    QStringList pages;
    for (int i = 0; i < document.pageCount(); ++i)
        pages << QString();
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    // Every block, those in table cells too, with its place on the document's long page.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const int at = qBound(0, int((rect.top() + line.y()) / height), int(pages.size()) - 1);
            pages[at] += block.text().mid(line.textStart(), line.textLength()).trimmed()
                         + QLatin1Char('\n');
        }
    }
    return pages;
}

bool JobReport::writePdf(const QString &jobDir, const QString &path, QPageSize::PageSizeId page,
                         QString *error, const Progress &progress)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (error)
            *error = tr("A PDF can only be made by a graphical application");
        return false;
    }
    Content content;
    if (!build(jobDir, &content, error))
        return false;
    const QByteArray bytes = pdf(content, page, progress);
    if (bytes.isEmpty()) {
        if (error)
            *error = tr("The PDF could not be made");
        return false;
    }
    return SaveFile::write(path, bytes, error);
}
