#include "TourDocuments.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace tour {

namespace {
bool writePicture(const QString& path, const QColor& colour, const QString& text)
{
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(colour);
    QPainter p(&picture);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(48);
    p.setFont(font);
    p.drawText(QRect(0, 0, 1280, 120), Qt::AlignCenter, text);
    p.end();
    return picture.save(path, "PNG");
}

bool writeSlides(const QString& path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(320, 180), QPageSize::Millimeter, QStringLiteral("slide")));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(96);
    writer.setTitle(QStringLiteral("Demo slides"));
    QPainter p;
    if (!p.begin(&writer))
        return false;
    const QColor marks[] = {mark::kPage1, mark::kPage2};
    for (int page = 0; page < 2; ++page) {
        if (page > 0)
            writer.newPage();
        const QRect all(0, 0, writer.width(), writer.height());
        // Pages without a fill come out transparent.
        p.fillRect(all, Qt::white);
        QFont font = p.font();
        font.setPixelSize(all.height() / 12);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, all.width(), all.height() / 5), Qt::AlignCenter,
                   QStringLiteral("Demo slides, page %1").arg(page + 1));
        p.fillRect(QRect(all.width() / 4, all.height() / 4, all.width() / 2, all.height() / 2), marks[page]);
    }
    return p.end();
}
} // namespace

bool writeTourDocuments(const QString& folder, TourDocuments* out, QString* error)
{
    const QDir dir(folder);
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create ") + folder;
        return false;
    }
    out->pdf = dir.filePath(QStringLiteral("demo-slides.pdf"));
    out->word = dir.filePath(QStringLiteral("demo-notes.docx"));
    out->leftPicture = dir.filePath(QStringLiteral("demo-orange.png"));
    out->rightPicture = dir.filePath(QStringLiteral("demo-teal.png"));
    if (!writeSlides(out->pdf) || !writePicture(out->leftPicture, mark::kLeftTile, QStringLiteral("left tile")) ||
        !writePicture(out->rightPicture, mark::kRightTile, QStringLiteral("right tile"))) {
        *error = QStringLiteral("cannot write the tour's documents in ") + folder;
        return false;
    }
    if (!QFileInfo(out->word).isFile()) {
        *error = out->word + QStringLiteral(" is missing (documents.py writes it)");
        return false;
    }
    return true;
}

} // namespace tour
