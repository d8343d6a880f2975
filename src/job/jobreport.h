#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QMap>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The report of a service job folder: one self-contained HTML file (inline style, images as
// data: URIs) and a PDF of the same content, in the program's current language. Reads the
// folder only; any thread of a QGuiApplication for the PDF (its document, writer and painter
// are the caller's own), any thread at all for html().
class JobReport
{
    Q_DECLARE_TR_FUNCTIONS(JobReport)

public:
    static QString html(const QString &jobDir, QString *error);
    static bool writeHtml(const QString &jobDir, const QString &path, QString *error);
    // Told how far the PDF is, in percent; false stops it (nothing is written).
    using Progress = std::function<bool(int percent)>;

    static bool writePdf(const QString &jobDir, const QString &path, QPageSize::PageSizeId page,
                         QString *error, const Progress &progress = Progress());

    // The report with its images apart: `<img src="NAME">` names a key of `images` (PNG bytes).
    struct Content
    {
        QString html;
        QMap<QString, QByteArray> images;
    };
    static bool build(const QString &jobDir, Content *content, QString *error);
    // Empty when `progress` stopped it.
    static QByteArray pdf(const Content &content, QPageSize::PageSizeId page,
                          const Progress &progress = Progress());
    // The text of each page of the PDF, as the PDF lays it out (a line per line of text).
    static QStringList pageTexts(const Content &content, QPageSize::PageSizeId page);
    // The PDF's pages as pictures at `dpi`, for a screen or a screenshot.
    static QVector<QImage> pageImages(const Content &content, QPageSize::PageSizeId page, int dpi);
};
