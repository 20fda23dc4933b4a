#pragma once
// Reads a PDF back as a person with a PDF viewer would, with poppler-utils: its pages and title,
// its text as laid out on the page, a picture of its first page.
#include <QString>

namespace dtool::test {

struct TPdfInfo {
  QString Error; // empty when pdfinfo read the file
  int Pages = 0;
  QString Title;
  QString PageSize; // as pdfinfo says it: "595.276 x 841.89 pts (A4)"
};
TPdfInfo PdfInfo(const QString& path);

// The text of the PDF, line by line as on the page; empty, with error filled, on failure.
QString PdfText(const QString& path, QString* error = nullptr);

// Renders the first page into a PNG file; an error text, empty on success.
QString PdfToPng(const QString& pdf, const QString& png, int dpi);

} // namespace dtool::test
