// The page step of document conversion (render each PDF page 1920 px wide, composite over white,
// save as PNG) on a generated 40-page 842x595 PDF, beside poppler's pdftoppm doing the same
// (`pdftoppm -png -scale-to-x 1920 -scale-to-y -1`) in the same run. Prints pages per second of
// both (median of SOLVEK_BENCH_RUNS runs, default 3) and their ratio; the goal is at least 1.0x.
//
//     cmake -S . -B build -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON && cmake --build build
//     build/bench/bench_document_pages
#include "support/DocumentFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr int kPages = 40;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));
    const int runs = qMax(1, qEnvironmentVariableIntValue("SOLVEK_BENCH_RUNS") ?: 3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("forty.pdf"));
    QList<testsupport::PdfPage> pages;
    for (int i = 0; i < kPages; ++i)
        pages.append({QSizeF(842, 595)});
    if (!testsupport::writePdf(pdf, pages)) {
        std::fprintf(stderr, "could not write the PDF\n");
        return 1;
    }
    testsupport::installDocumentStore(dir.path());
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) {
        std::fprintf(stderr, "pdftoppm not found (package poppler-utils)\n");
        return 1;
    }

    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const testsupport::ConversionOutcome out = testsupport::convertDocument(pdf, 600000);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (!out.failures.isEmpty() || QDir(out.pageDir).entryList(QDir::Files).size() != kPages) {
            std::fprintf(stderr, "conversion failed\n");
            return 1;
        }
        ours.push_back(kPages * 1000.0 / ms);

        const QString outDir = dir.filePath(QStringLiteral("poppler%1").arg(i));
        QDir().mkpath(outDir);
        QProcess poppler;
        clock.restart();
        poppler.start(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-scale-to-x"),
                                 QStringLiteral("1920"), QStringLiteral("-scale-to-y"), QStringLiteral("-1"),
                                 pdf, outDir + QStringLiteral("/p")});
        if (!poppler.waitForFinished(600000) || poppler.exitCode() != 0) {
            std::fprintf(stderr, "pdftoppm failed\n");
            return 1;
        }
        theirs.push_back(kPages * 1000.0 / (double(clock.nsecsElapsed()) / 1e6));
    }
    const double a = median(ours), b = median(theirs);
    std::printf("page step, %d pages 842x595 pt at 1920 px, median of %d runs\n", kPages, runs);
    std::printf("  conversion worker   %7.1f pages/s\n", a);
    std::printf("  pdftoppm            %7.1f pages/s\n", b);
    std::printf("  ratio               %7.2fx (goal >= 1.0x)\n", a / b);
    return 0;
}
