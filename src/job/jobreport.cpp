#include "job/jobreport.h"

#include "util/savefile.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

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

QByteArray JobReport::pdf(const Content &content, QPageSize::PageSizeId page)
{
    QTextDocument document;
    // QTextDocument reads no data: URIs; the images go in as resources under their names.
    for (auto it = content.images.cbegin(); it != content.images.cend(); ++it)
        document.addResource(QTextDocument::ImageResource, QUrl(it.key()),
                             QImage::fromData(it.value(), "PNG"));
    document.setHtml(content.html);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setPageSize(QPageSize(page));
        // The document keeps a margin of its own (2 cm) when printed: the page's is not added.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setCreator(QStringLiteral("Tarvik"));
        writer.setTitle(tr("Service job report"));
        // Left without a page size of its own, the document is laid out on the writer's pages
        // and printed with page numbers.
        document.print(&writer);
    }
    return bytes;
}

bool JobReport::writePdf(const QString &jobDir, const QString &path, QPageSize::PageSizeId page,
                         QString *error)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (error)
            *error = tr("A PDF can only be made by a graphical application");
        return false;
    }
    Content content;
    if (!build(jobDir, &content, error))
        return false;
    const QByteArray bytes = pdf(content, page);
    if (bytes.isEmpty()) {
        if (error)
            *error = tr("The PDF could not be made");
        return false;
    }
    return SaveFile::write(path, bytes, error);
}
