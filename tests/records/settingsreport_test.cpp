// The settings report without a window: filling layouts, the layouts compiled into the program,
// and what reaches the page, read back from the PDF with poppler-utils.
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

#include "records/report/reportlayout.h"
#include "records/report/settingsreport.h"
#include "support/pdftools.h"

namespace dtool {
namespace {

using TParts = std::map<QString, QString>;

TPartSource PartsOf(const TParts& parts) {
  return [parts](const QString& name) -> std::optional<QString> {
    const auto it = parts.find(name);
    return it == parts.end() ? std::nullopt : std::optional<QString>(it->second);
  };
}

TEST(ReportLayoutTest, FillsPlacesAndSectionsAndEscapesEveryText) {
  struct TCase {
    const char* name;
    QString layout;
    QHash<QString, QString> params;
    QString html;
    QStringList unfilled;
  };
  const TParts parts{{QStringLiteral("row"), QStringLiteral("<td>{{A}}</td>")}};
  const TCase cases[] = {
      {"markup, ampersand and quotes are text",
       QStringLiteral("<p>{{A}}</p>"),
       {{QStringLiteral("A"), QStringLiteral("<b>\"R&D\"</b> < 2")}},
       QStringLiteral("<p>&lt;b&gt;&quot;R&amp;D&quot;&lt;/b&gt; &lt; 2</p>"),
       {}},
      {"a section shows with a text",
       QStringLiteral("{{#A}}[{{A}}]{{/A}}{{^A}}none{{/A}}"),
       {{QStringLiteral("A"), QStringLiteral("x")}},
       QStringLiteral("[x]"),
       {}},
      {"an inverted section shows without one",
       QStringLiteral("{{#A}}[{{A}}]{{/A}}{{^A}}none{{/A}}"),
       {{QStringLiteral("A"), QString()}},
       QStringLiteral("none"),
       {}},
      {"sections nest",
       QStringLiteral("{{#A}}a{{#B}}b{{/B}}{{^B}}-{{/B}}{{/A}}"),
       {{QStringLiteral("A"), QStringLiteral("1")}, {QStringLiteral("B"), QStringLiteral("1")}},
       QStringLiteral("ab"),
       {}},
      {"a part is filled like the layout",
       QStringLiteral("<tr>{{> row }}</tr>"),
       {{QStringLiteral("A"), QStringLiteral("&")}},
       QStringLiteral("<tr><td>&amp;</td></tr>"),
       {}},
      {"a name without a text is empty and reported once",
       QStringLiteral("{{Gone}}|{{#Gone}}x{{/Gone}}|{{ Gone }}"),
       {},
       QStringLiteral("||"),
       {QStringLiteral("Gone")}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TReportLayout layout;
    QString error;
    ASSERT_TRUE(layout.Parse(c.layout, PartsOf(parts), &error)) << error.toStdString();
    QStringList unfilled;
    EXPECT_EQ(layout.Fill(c.params, &unfilled), c.html);
    EXPECT_EQ(unfilled, c.unfilled);
  }
}

TEST(ReportLayoutTest, RefusesLayoutsThatCannotBeFilled) {
  const TParts parts{{QStringLiteral("self"), QStringLiteral("x{{>self}}")},
                     {QStringLiteral("open"), QStringLiteral("{{#A}}")}};
  const std::pair<const char*, QString> cases[] = {
      {"place not closed", QStringLiteral("<p>{{A</p>")},
      {"empty place", QStringLiteral("{{ }}")},
      {"section without a name", QStringLiteral("{{#}}x{{/}}")},
      {"section not ended", QStringLiteral("{{#A}}x")},
      {"end of another section", QStringLiteral("{{#A}}{{#B}}{{/A}}{{/B}}")},
      {"end without a section", QStringLiteral("x{{/A}}")},
      {"missing part", QStringLiteral("{{>nowhere}}")},
      {"part that names itself", QStringLiteral("{{>self}}")},
      {"part that leaves a section open", QStringLiteral("{{>open}}{{/A}}")},
  };
  for (const auto& [name, text] : cases) {
    SCOPED_TRACE(name);
    TReportLayout layout;
    QString error;
    EXPECT_FALSE(layout.Parse(text, PartsOf(parts), &error));
    EXPECT_FALSE(error.isEmpty());
  }
}

class SettingsReportTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  // A layout folder of the test's own with the files given.
  QString Folder(const TParts& files) {
    for (const auto& [name, text] : files) {
      const QString path = dir.filePath(name);
      QDir().mkpath(QFileInfo(path).absolutePath());
      QFile f(path);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(text.toUtf8());
    }
    return dir.path();
  }
  QString Pdf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

  QTemporaryDir dir;
};

TEST_F(SettingsReportTest, EachInstrumentTypeHasItsCompiledReport) {
  const std::map<int, QString> names = {
      {1, "Dravon_STD"},   {2, "Dravon_STV"}, {3, "Dravon_STS"},   {4, "Dravon_STVS"},
      {5, "Dravon_STD"},   {6, "Dravon_STV"}, {7, "Dravon_STS"},   {8, "Dravon_STVS"},
      {9, "Dravonswitch"}, {10, "DravonDat"}, {11, "DravonVision"}};
  for (int type = -1; type <= 12; ++type) {
    SCOPED_TRACE(type);
    const auto it = names.find(type);
    ASSERT_EQ(ReportNameFor(type), it == names.end() ? QString() : it->second);
    if (it == names.end())
      continue;
    TSettingsReport report;
    EXPECT_TRUE(report.SelectReport(it->second));
    EXPECT_EQ(report.ReportName(), it->second);
    EXPECT_FALSE(report.Html().isEmpty());
  }
  // The parts are no reports, and nothing outside the layouts is reached.
  TSettingsReport report;
  for (const char* name : {"", "head", "parts/head", "../reports/DravonDat", "Dravon"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(report.SelectReport(QString::fromLatin1(name)));
    EXPECT_TRUE(report.Html().isEmpty());
  }
}

TEST_F(SettingsReportTest, AFolderWithoutTheLayoutOrWithABrokenOneSelectsNothing) {
  const QString folder = Folder({{"Good.html", "<p>{{>cell}}</p>"},
                                 {"parts/cell.html", "{{A}}"},
                                 {"Broken.html", "<p>{{#A}}</p>"},
                                 {"NoPart.html", "{{>gone}}"}});
  TSettingsReport report(folder);
  EXPECT_TRUE(report.SelectReport(QStringLiteral("Good")));
  EXPECT_EQ(report.Unfilled(), QStringList{QStringLiteral("A")});
  for (const char* name : {"Broken", "NoPart", "DravonDat"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(report.SelectReport(QString::fromLatin1(name)));
    EXPECT_TRUE(report.ReportName().isEmpty());
  }
  EXPECT_FALSE(TSettingsReport(dir.filePath(QStringLiteral("none")))
                   .SelectReport(QStringLiteral("DravonDat")));
}

// Markup in a text is printed as it stands; the title and the paper reach the PDF.
TEST_F(SettingsReportTest, APdfShowsEveryTextAsItStandsOnThePaperGiven) {
  TSettingsReport report(Folder({{"T.html", "<html><body><p>Value: {{A}}</p>"
                                            "<p>{{#B}}shown{{/B}}{{^B}}hidden{{/B}}</p>"
                                            "</body></html>"}}));
  ASSERT_TRUE(report.SelectReport(QStringLiteral("T")));
  report.SetParams({{QStringLiteral("A"), QStringLiteral("<b>R&D</b> < 2 & \"x\"")},
                    {QStringLiteral("B"), QString()}});
  report.SetTitle(QStringLiteral("DravonDat 1234567 - Instrument configuration"));
  for (const auto& [paper, size] :
       {std::pair{QPageSize::A4, "(A4)"}, std::pair{QPageSize::Letter, "(letter)"}}) {
    SCOPED_TRACE(size);
    const QString pdf = Pdf("t.pdf");
    QString error;
    ASSERT_TRUE(report.WritePdf(pdf, paper, &error)) << error.toStdString();
    const test::TPdfInfo info = test::PdfInfo(pdf);
    ASSERT_TRUE(info.Error.isEmpty()) << info.Error.toStdString();
    EXPECT_EQ(info.Pages, 1);
    EXPECT_EQ(info.Title, report.Title());
    EXPECT_TRUE(info.PageSize.endsWith(QLatin1String(size))) << info.PageSize.toStdString();
    const QString text = test::PdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Value: <b>R&D</b> < 2 & \"x\"")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("hidden")));
    EXPECT_FALSE(text.contains(QStringLiteral("shown")));
  }
}

// A report longer than the page shrinks onto it; one that fits keeps its size.
TEST_F(SettingsReportTest, ALongReportShrinksOntoOnePage) {
  QString rows;
  for (int i = 0; i < 150; ++i)
    rows += QStringLiteral("<p>Row %1 {{A}}</p>\n").arg(i);
  TSettingsReport report(Folder({{"Long.html", rows}, {"Short.html", "<p>Row {{A}}</p>"}}));
  report.SetParam(QStringLiteral("A"), QStringLiteral("value"));
  QPdfWriter a4(Pdf("probe.pdf"));
  a4.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                               QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
  ASSERT_TRUE(report.SelectReport(QStringLiteral("Short")));
  EXPECT_EQ(report.FitScale(a4), 1.0);
  ASSERT_TRUE(report.SelectReport(QStringLiteral("Long")));
  const double scale = report.FitScale(a4);
  EXPECT_LT(scale, 1.0);
  const QString pdf = Pdf("long.pdf");
  ASSERT_TRUE(report.WritePdf(pdf, QPageSize::A4));
  EXPECT_EQ(test::PdfInfo(pdf).Pages, 1);
  const QString text = test::PdfText(pdf);
  EXPECT_TRUE(text.contains(QStringLiteral("Row 0 value")));
  EXPECT_TRUE(text.contains(QStringLiteral("Row 149 value"))) << "the last row is on the page";
}

// A printer that does not make copies itself gets one page per copy.
TEST_F(SettingsReportTest, CopiesArePrintedAsPagesWhereThePrinterDoesNotMakeThem) {
  TSettingsReport report(Folder({{"T.html", "<p>{{A}}</p>"}}));
  ASSERT_TRUE(report.SelectReport(QStringLiteral("T")));
  report.SetParam(QStringLiteral("A"), QStringLiteral("copy"));
  report.SetTitle(QStringLiteral("DravonTool - Win"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(Pdf("copies.pdf"));
  printer.setCopyCount(3);
  ASSERT_FALSE(printer.supportsMultipleCopies());
  ASSERT_TRUE(report.Print(printer));
  const test::TPdfInfo info = test::PdfInfo(Pdf("copies.pdf"));
  EXPECT_EQ(info.Pages, 3);
  EXPECT_EQ(info.Title, QStringLiteral("DravonTool - Win"));
  EXPECT_EQ(test::PdfText(Pdf("copies.pdf")).count(QStringLiteral("copy")), 3);
}

TEST_F(SettingsReportTest, APdfThatCannotBeWrittenLeavesNoFileAndSaysWhy) {
  TSettingsReport report(Folder({{"T.html", "<p>{{A}}</p>"}}));
  const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/t.pdf"));
  QString error;
  EXPECT_FALSE(report.WritePdf(Pdf("unselected.pdf"), QPageSize::A4, &error))
      << "no report selected";
  EXPECT_FALSE(QFile::exists(Pdf("unselected.pdf")));
  ASSERT_TRUE(report.SelectReport(QStringLiteral("T")));
  error.clear();
  EXPECT_FALSE(report.WritePdf(nowhere, QPageSize::A4, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(nowhere));
}

} // namespace
} // namespace dtool
