#pragma once
// The files the tour puts on the canvas, made by the tour itself, each with a mark of known colour
// at a known place so that the preview and the stream can be checked loosely (the encoder is
// lossy): a PDF of two 16:9 pages (a red square in the middle of page 1, a blue one on page 2) and
// two solid pictures for the layout tiles. The Word document comes from documents.py beside this
// file (scripts/lib/run-tour writes it) and carries a green band over the middle of its first page.

#include <QColor>
#include <QString>

namespace tour {

namespace mark {
const QColor kPage1(220, 40, 40);
const QColor kPage2(40, 70, 220);
const QColor kWordPage(0, 160, 0); // "00A000" in documents.py
const QColor kLeftTile(250, 140, 0);
const QColor kRightTile(0, 150, 160);
const QColor kPatternLeft(220, 0, 220);
const QColor kPatternRight(235, 235, 0);
} // namespace mark

struct TourDocuments {
    QString pdf;        // demo-slides.pdf
    QString word;       // demo-notes.docx (written by documents.py)
    QString leftPicture;  // demo-orange.png
    QString rightPicture; // demo-teal.png
};

// Writes the PDF and the pictures into `folder` (made when missing) and names the Word document
// there; false with `error` set when a file cannot be written or the Word document is missing.
bool writeTourDocuments(const QString& folder, TourDocuments* out, QString* error);

} // namespace tour
