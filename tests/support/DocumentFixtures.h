#pragma once
// Fixtures of the document conversion tests and benchmark: generated PDFs, a per-user folder in a
// private settings store, and one conversion run from start to its outcome.

#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

namespace testsupport
{

struct PdfPage {
    QSizeF points;
    bool filled = true; // a light fill over the whole page; without it the page is transparent
};

// A PDF of the given pages (each with a line of text), written with QPdfWriter; false on failure.
bool writePdf(const QString& path, const QList<PdfPage>& pages);
// A hand-made PDF whose single page has this MediaBox (pages = 0: a page tree without pages).
bool writeRawPdf(const QString& path, const QSizeF& mediaBox, int pages = 1);

// Writes `binDir`/soffice, a stand-in for LibreOffice: it records its arguments in
// $SOLVEK_FAKE_LOG/args.<pid>, then acts as $SOLVEK_FAKE_MODE says: "ok" copies $SOLVEK_FAKE_PDF
// as the PDF, "slow" does so after a second, "fail" exits 1, "nopdf" exits 0 without a PDF, "hang"
// writes its pid and its child's to $SOLVEK_FAKE_LOG and waits for ever.
bool writeFakeSoffice(const QString& binDir);

// A converted document as an earlier session left it: the page folder of `key` in `userDocDir`
// with a "pic0.png" of `page` pixels; false on failure.
bool writeCachedDocument(const QString& userDocDir, const QString& key, const QSize& page = QSize(16, 9));

// A private settings store whose per-user folder is `root` + "/user" and whose screen is 1920x1080.
void installDocumentStore(const QString& root);

// What one conversion reported, in order, and what the worker says afterwards.
struct ConversionOutcome {
    QList<float> percents;
    QStringList failures;
    QString key;
    QString pageDir;
    QString thumbnail;
    bool finished = false; // 100 or a failure arrived before the time-out
};

// Runs one worker on `path` until it reports 100 or a failure (or `timeoutMs` passes), then
// interrupts it and collects every signal it sent.
ConversionOutcome convertDocument(const QString& path, int timeoutMs = 60000);

} // namespace testsupport
