// Writes the pages of a service job's report as PNG pictures (the README's screenshots):
// reportpages JOBDIR OUTPREFIX [LANGUAGE] gives OUTPREFIX-1.png, OUTPREFIX-2.png, ... The job of
// the walkthrough: TARVIK_KEEP_JOB=1 tst_ui_jobwalkthrough wholeJobOnTheDemoBus:English keeps its
// folder and names it.
#include "app/language.h"
#include "app/resources.h"
#include "job/jobreport.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    initTarvikResources();
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: reportpages JOBDIR OUTPREFIX [LANGUAGE]\n";
        return 2;
    }
    if (args.size() > 3 && !Language::install(args.at(3), &app)) {
        QTextStream(stderr) << "no catalogue for " << args.at(3) << '\n';
        return 2;
    }
    JobReport::Content content;
    QString error;
    if (!JobReport::build(args.at(1), &content, &error)) {
        QTextStream(stderr) << error << '\n';
        return 1;
    }
    const QVector<QImage> pages = JobReport::pageImages(content, QPageSize::A4, 110);
    for (int i = 0; i < pages.size(); ++i) {
        if (!pages.at(i).save(QStringLiteral("%1-%2.png").arg(args.at(2)).arg(i + 1)))
            return 1;
    }
    QTextStream(stdout) << pages.size() << " page(s)\n";
    return 0;
}
