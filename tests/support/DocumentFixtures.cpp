#include "support/DocumentFixtures.h"

#include "core/DataCenter.h"
#include "documents/DocumentCacheEntry.h"
#include "documents/analysisPdfThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QtTest>

namespace testsupport
{

bool writePdf(const QString& path, const QList<PdfPage>& pages)
{
    QPdfWriter writer(path);
    writer.setResolution(72); // painter units are points
    QPainter painter;
    for (int i = 0; i < pages.size(); ++i) {
        const QPageSize size(pages[i].points, QPageSize::Point, QString(), QPageSize::ExactMatch);
        if (!writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF())))
            return false;
        if (i == 0) {
            if (!painter.begin(&writer))
                return false;
        } else if (!writer.newPage()) {
            return false;
        }
        const QRectF page(QPointF(0, 0), pages[i].points);
        if (pages[i].filled)
            painter.fillRect(page, QColor(200, 220, 255));
        painter.setPen(Qt::black);
        painter.drawText(page, Qt::AlignCenter, QStringLiteral("page %1").arg(i + 1));
    }
    return painter.end();
}

bool writeRawPdf(const QString& path, const QSizeF& mediaBox, int pages)
{
    QList<QByteArray> objects;
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    objects << (pages > 0 ? QByteArray("<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
                          : QByteArray("<< /Type /Pages /Kids [] /Count 0 >>"));
    if (pages > 0)
        objects << QStringLiteral("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %1 %2] >>")
                       .arg(mediaBox.width())
                       .arg(mediaBox.height())
                       .toLatin1();
    QByteArray pdf = "%PDF-1.4\n";
    QList<int> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const int xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(pdf) == pdf.size();
}

bool writeFakeSoffice(const QString& binDir)
{
    static const char script[] = R"(#!/bin/sh
log="$SOLVEK_FAKE_LOG"
for a in "$@"; do printf '%s\n' "$a"; done > "$log/args.$$"
outdir=""; prev=""; src=""
for a in "$@"; do [ "$prev" = "--outdir" ] && outdir="$a"; prev="$a"; src="$a"; done
name=$(basename "$src"); name="${name%.*}"
case "$SOLVEK_FAKE_MODE" in
  ok) cp "$SOLVEK_FAKE_PDF" "$outdir/$name.pdf" ;;
  slow) sleep 1; cp "$SOLVEK_FAKE_PDF" "$outdir/$name.pdf" ;;
  fail) echo "Error: source file could not be loaded"; exit 1 ;;
  nopdf) exit 0 ;;
  hang) echo $$ > "$log/pid.$$"; sleep 600 & echo $! > "$log/child.$$"; wait ;;
esac
)";
    QFile fake(binDir + QStringLiteral("/soffice"));
    if (!QDir().mkpath(binDir) || !fake.open(QIODevice::WriteOnly) ||
        fake.write(script) != qint64(sizeof script - 1))
        return false;
    fake.close();
    return fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool writeCachedDocument(const QString& userDocDir, const QString& key, const QSize& page)
{
    const QString dir = DocumentCacheEntry::pageDirFor(userDocDir, key);
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    return QDir().mkpath(dir) && image.save(DocumentCacheEntry::pagePath(dir, 0), "PNG");
}

void installDocumentStore(const QString& root)
{
    auto store = std::make_shared<CDataCenter>(root + QStringLiteral("/config.ini"));
    store->uidText = QStringLiteral("42");
    store->userDocDir = root + QStringLiteral("/user");
    QDir().mkpath(store->userDocDir);
    store->screenWidth = 1920;
    store->screenHeight = 1080;
    CDataCenter::setInstanceForTesting(store);
}

ConversionOutcome convertDocument(const QString& path, int timeoutMs)
{
    ConversionOutcome outcome;
    QObject receiver; // lives on this thread: the worker's signals arrive queued, in order
    analysisPdfThread worker(path);
    QObject::connect(&worker, &analysisPdfThread::sendpercent, &receiver,
                     [&](float v) { outcome.percents << v; });
    QObject::connect(&worker, &analysisPdfThread::sendFaildInfo, &receiver,
                     [&](const QString& text) { outcome.failures << text; });
    worker.start();
    outcome.finished = QTest::qWaitFor(
        [&] { return outcome.percents.contains(100.f) || !outcome.failures.isEmpty(); }, timeoutMs);
    worker.requestInterruption();
    worker.wait();
    // Whatever the worker sent after the first outcome must be seen too.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    outcome.key = worker.getCacheKey();
    outcome.pageDir = worker.getPageDir();
    outcome.thumbnail = worker.getThumbnailPath();
    return outcome;
}

} // namespace testsupport
