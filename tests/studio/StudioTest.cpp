// The studio's window: opening, saving, recent files, unsaved changes, export, and a real
// screenshot of the running application on a virtual X display.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "MainWindow.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Planora::Studio;
using namespace PlanoraTest;

namespace {

// Answers every question the way a test says, and remembers the errors shown.
struct TScriptedServices : TStudioServices {
  QString nextFile;
  TSaveAnswer answer = TSaveAnswer::Cancel;
  int choice = -1;
  QStringList errors;
  int asked = 0;
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return nextFile; }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return nextFile; }
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  TSaveAnswer AskSave(QWidget*, const QString&) override {
    ++asked;
    return answer;
  }
  int Choose(QWidget*, const QString&, const QString&, const QStringList&) override { return choice; }
};

}  // namespace

TEST(Studio, OpenSaveRecentAndUnsavedChanges) {
  QSettings().clear();
  auto services = std::make_shared<TScriptedServices>();
  TMainWindow w(services);
  EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Untitled")));

  ASSERT_TRUE(w.OpenFile(Sample("shapes.json")));
  const int items = w.Document().GetItemsCount();
  EXPECT_GT(items, 10);
  EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("shapes.json")));
  EXPECT_EQ(w.RecentFiles().value(0), QFileInfo(Sample("shapes.json")).absoluteFilePath());

  // A damaged file is refused with its reason; the open drawing stays as it was.
  const QString bad = TmpPath(QStringLiteral("bad.json"));
  WriteAll(bad, "{\"Version\": 3200, \"Items\": [ {\"Type\": 6,, } ]}");
  EXPECT_FALSE(w.OpenFile(bad));
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_TRUE(services->errors[0].contains(QStringLiteral("bad.json"))) << services->errors[0].toStdString();
  EXPECT_EQ(w.Document().GetItemsCount(), items);
  EXPECT_EQ(w.CurrentFile(), QFileInfo(Sample("shapes.json")).absoluteFilePath());

  // Save As writes the drawing and makes it the current and the most recent file.
  const QString copy = TmpPath(QStringLiteral("copy.eti"));
  QFile::remove(copy);
  services->nextFile = copy;
  ASSERT_TRUE(w.SaveAs());
  EXPECT_EQ(w.CurrentFile(), QFileInfo(copy).absoluteFilePath());
  EXPECT_EQ(w.RecentFiles().value(0), w.CurrentFile());
  EXPECT_EQ(w.RecentFiles().size(), 2);
  Orv::Fmx::TPlanoraFMX back;
  ASSERT_TRUE(back.LoadFromFile(copy));
  EXPECT_EQ(back.GetItemsCount(), items);

  // The list keeps the newest few, each once.
  for (int i = 0; i < TMainWindow::kMaxRecent + 2; ++i) {
    const QString f = TmpPath(QStringLiteral("r%1.json").arg(i));
    ASSERT_TRUE(w.SaveTo(f));
  }
  EXPECT_EQ(w.RecentFiles().size(), TMainWindow::kMaxRecent);
  EXPECT_EQ(w.RecentFiles().value(0), QFileInfo(TmpPath(QStringLiteral("r9.json"))).absoluteFilePath());

  // Changes: Cancel keeps the drawing, Discard lets the new one in.
  w.Document().GetItem(1)->SetColor(0xFF00FF00u);
  w.Document().SetModified(true);
  EXPECT_TRUE(w.isWindowModified());
  services->answer = TStudioServices::TSaveAnswer::Cancel;
  EXPECT_FALSE(w.NewDrawing());
  EXPECT_EQ(w.Document().GetItemsCount(), items);
  services->answer = TStudioServices::TSaveAnswer::Discard;
  EXPECT_TRUE(w.NewDrawing());
  EXPECT_EQ(w.Document().GetItemsCount(), 0);
  EXPECT_EQ(services->asked, 2);
  EXPECT_FALSE(w.isWindowModified());
}

TEST(Studio, SaveAsTakesANameWithoutExtension) {
  auto services = std::make_shared<TScriptedServices>();
  TMainWindow w(services);
  QAction* saveAs = w.Action(QStringLiteral("fileSaveAs"));
  ASSERT_NE(saveAs, nullptr);
  EXPECT_TRUE(saveAs->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
  ASSERT_TRUE(w.OpenFile(Sample("shapes.json")));
  const int items = w.Document().GetItemsCount();

  // "plan" is saved as "plan.json"; "plan." too.
  const QString plain = TmpPath(QStringLiteral("plan"));
  QFile::remove(plain + QStringLiteral(".json"));
  services->nextFile = plain;
  ASSERT_TRUE(w.SaveAs()) << services->errors.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(w.CurrentFile(), QFileInfo(plain + QStringLiteral(".json")).absoluteFilePath());
  EXPECT_FALSE(QFileInfo::exists(plain));
  Orv::Fmx::TPlanoraFMX back;
  ASSERT_TRUE(back.LoadFromFile(plain + QStringLiteral(".json")));
  EXPECT_EQ(back.GetItemsCount(), items);

  // That file exists now: the user is asked before it is replaced, and "no" keeps it.
  const QByteArray before = ReadAll(plain + QStringLiteral(".json"));
  w.Document().GetItem(1)->SetColor(0xFF00FF00u);
  services->nextFile = plain + QStringLiteral(".");
  services->choice = -1;
  EXPECT_FALSE(w.SaveAs());
  EXPECT_EQ(ReadAll(plain + QStringLiteral(".json")), before);
  services->choice = 0;
  EXPECT_TRUE(w.SaveAs());
  EXPECT_NE(ReadAll(plain + QStringLiteral(".json")), before);
  // A name with another extension is still refused with its reason.
  services->nextFile = TmpPath(QStringLiteral("plan.txt"));
  EXPECT_FALSE(w.SaveAs());
  EXPECT_FALSE(services->errors.isEmpty());
}

// The editor as the window sets it up: double click on, a settings button only when it opens
// something, and a status bar that follows the pointer, the unit, the scroll and a new drawing.
TEST(Studio, SavingADrawingThatSkippedItemsAsksFirst) {
  auto services = std::make_shared<TScriptedServices>();
  TMainWindow w(services);
  const QString src = TmpPath(QStringLiteral("skipped.json")), out = TmpPath(QStringLiteral("skipped-out.json"));
  WriteAll(src, R"({"Items": [{"Type": 6, "Points": [[0,0],[1000,1000]]}, {"Type": "abc"}, 3]})");
  ASSERT_TRUE(w.OpenFile(src));
  ASSERT_EQ(w.Document().SkippedItems(), 2);
  WriteAll(out, "older");
  services->choice = 1;  // Cancel: nothing written
  EXPECT_FALSE(w.SaveTo(out));
  EXPECT_EQ(ReadAll(out), QByteArray("older"));
  services->choice = 0;  // save without them
  ASSERT_TRUE(w.SaveTo(out));
  Orv::Fmx::TPlanoraFMX back;
  ASSERT_TRUE(back.LoadFromFile(out));
  EXPECT_EQ(back.GetItemsCount(), 1);
  EXPECT_TRUE(services->errors.isEmpty()) << services->errors.join('\n').toStdString();
}

TEST(Studio, EditorDoubleClicksAndThePositionStaysCurrent) {
  auto services = std::make_shared<TScriptedServices>();
  TMainWindow w(services);
  w.resize(900, 700);
  w.show();
  Orv::Fmx::TPLNEditor& ed = w.Editor();
  EXPECT_TRUE(ed.GetEditorOptions() & Orv::Fmx::eoDblClick);
  EXPECT_TRUE(ed.SettingsButton()->isVisibleTo(&ed));
  EXPECT_TRUE(ed.RotateButton()->isVisibleTo(&ed));
  EXPECT_FALSE(ed.RotateButton()->toolTip().isEmpty());

  ASSERT_TRUE(w.OpenFile(Sample("shapes.json")));
  ed.SetZoom(Orv::Fmx::zm500);
  const QPointF at(200, 150);
  QMouseEvent move(QEvent::MouseMove, at, ed.Surface()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(ed.Surface(), &move);
  const QString mm = w.PositionText();
  EXPECT_TRUE(mm.contains(QStringLiteral("mm"))) << mm.toStdString();
  w.Document().SetUnits(Orv::TORVUnits::inch);
  const QString inches = w.PositionText();
  EXPECT_TRUE(inches.contains(QStringLiteral("in"))) << inches.toStdString();
  ASSERT_TRUE(ed.VertScrollBar()->isVisibleTo(&ed));
  ed.VertScrollBar()->setValue(ed.VertScrollBar()->value() + 100);
  EXPECT_NE(w.PositionText(), inches);
  services->answer = TStudioServices::TSaveAnswer::Discard;
  ASSERT_TRUE(w.NewDrawing());
  EXPECT_TRUE(w.PositionText().contains(QStringLiteral("mm"))) << w.PositionText().toStdString();
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(ed.Surface(), &leave);
  EXPECT_TRUE(w.PositionText().isEmpty());
}

TEST(Studio, ExportWritesThePageOrSaysWhy) {
  auto services = std::make_shared<TScriptedServices>();
  TMainWindow w(services);
  ASSERT_TRUE(w.OpenFile(Sample("labels-basic.json")));
  const QString png = TmpPath(QStringLiteral("studio-export.png"));
  QFile::remove(png);
  ASSERT_TRUE(w.ExportTo(png));
  const QImage img(png);
  ASSERT_FALSE(img.isNull());
  EXPECT_GT(Ink(img), 0.0);
  // SVG goes through the same command; a page in millimetres.
  const QString svg = TmpPath(QStringLiteral("studio-export.svg"));
  QFile::remove(svg);
  ASSERT_TRUE(w.ExportTo(svg));
  EXPECT_TRUE(ReadAll(svg).contains("viewBox=\"0 0 "));
  EXPECT_FALSE(w.ExportTo(TmpPath(QStringLiteral("x.tiff"))));
  EXPECT_FALSE(w.ExportTo(TmpPath(QStringLiteral("no-such-dir/x.pdf"))));
  EXPECT_FALSE(w.ExportTo(TmpPath(QStringLiteral("no-such-dir/x.svg"))));
  EXPECT_EQ(services->errors.size(), 3);
}

namespace {

// Runs the studio on a virtual X display with `args`, feeding `input` to its standard input,
// and returns the screenshot it takes once the window shows (null on failure).
QImage StudioScreenshot(const QStringList& args, const QByteArray& input = {}, QByteArray* out = nullptr) {
  const QString shot = TmpPath(QStringLiteral("studio-shot.png"));
  QFile::remove(shot);
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), TmpDir(QStringLiteral("shot-config")));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("xvfb-run"),
          QStringList{"-a", "-s", "-screen 0 1280x1024x24", QStringLiteral(PLANORA_STUDIO)} + args + QStringList{"--screenshot", shot});
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(120000) || p.exitCode() != 0) {
    ADD_FAILURE() << "the studio failed: " << p.readAllStandardError().toStdString();
    return {};
  }
  if (out) *out = p.readAllStandardOutput();
  return QImage(shot).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

// The application itself on a virtual display: its screenshot shows the white page on the grey
// margin, the rulers' ticks above and left of it, and the drawing's ink on the page.
TEST(Studio, ScreenshotShowsPageAndRulers) {
  if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()) GTEST_SKIP() << "xvfb-run is not installed";
  const QImage img = StudioScreenshot({Sample("shapes.json")});
  ASSERT_FALSE(img.isNull());

  // The page: the longest white runs across, then down. The rulers are white over the page
  // too, but only a few rows deep, so the median row of the longest runs lies on the page.
  auto white = [&](int x, int y) { return img.pixel(x, y) == qRgb(255, 255, 255); };
  auto longestRun = [&](int n, auto isWhite, int* end) {
    int run = 0, best = 0;
    for (int i = 0; i < n; ++i) {
      run = isWhite(i) ? run + 1 : 0;
      if (run > best) best = run, *end = i;
    }
    return best;
  };
  std::vector<std::pair<int, int>> rows;  // (run, row)
  int widest = 0;
  for (int y = 0; y < img.height(); ++y) {
    int end = 0;
    const int run = longestRun(img.width(), [&](int x) { return white(x, y); }, &end);
    rows.push_back({run, y});
    widest = std::max(widest, run);
  }
  std::vector<int> pageRows;
  for (auto [run, y] : rows)
    if (run >= widest * 9 / 10) pageRows.push_back(y);
  ASSERT_GT(widest, 300) << "no page on the screen";
  const int rowY = pageRows[pageRows.size() / 2];
  int right = 0;
  const int width = longestRun(img.width(), [&](int x) { return white(x, rowY); }, &right);
  const int left = right - width + 1;
  // Up and down along the page's edges, where drawings seldom reach.
  int top = rowY, bottom = rowY;
  while (top > 0 && white(left + 1, top - 1) && white(right - 1, top - 1)) --top;
  while (bottom + 1 < img.height() && white(left + 1, bottom + 1) && white(right - 1, bottom + 1)) ++bottom;
  EXPECT_GT(bottom - top, 200);
  const int midY = (top + bottom) / 2, midX = (left + right) / 2;
  // The margin around the page is the editor's grey.
  EXPECT_TRUE(ColorAt(img, QPoint(left - 4, midY), QColor(0xC0, 0xC0, 0xC0), 6));
  EXPECT_TRUE(ColorAt(img, QPoint(midX, top - 4), QColor(0xC0, 0xC0, 0xC0), 6));
  // Ruler ticks: dark marks in a strip above the page and in one left of it.
  auto darkIn = [&](QRect r) {
    int n = 0;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += qGray(img.pixel(x, y)) < 80;
    return n;
  };
  EXPECT_GT(darkIn(QRect(left, top - 45, right - left, 30)), 40);
  EXPECT_GT(darkIn(QRect(left - 45, top, 30, bottom - top)), 40);
  // The drawing on the page.
  EXPECT_GT(darkIn(QRect(left, top, right - left, bottom - top)), 500);
}

// An agent drawing through the window's MCP server: the editor shows the new item at once.
TEST(Studio, AgentDrawsInTheOpenWindow) {
  if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()) GTEST_SKIP() << "xvfb-run is not installed";
  const QByteArray input =
      R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2025-06-18","capabilities":{},"clientInfo":{"name":"t","version":"1"}}})"
      "\n"
      R"({"jsonrpc":"2.0","method":"notifications/initialized"})"
      "\n"
      R"({"jsonrpc":"2.0","id":2,"method":"tools/call","params":{"name":"add_rectangle","arguments":{"x":20,"y":20,"width":100,"height":60,"color":"#ff0000","back_color":"#ff0000","filled":1}}})"
      "\n";
  QByteArray out;
  const QImage img = StudioScreenshot({"--mcp"}, input, &out);
  ASSERT_FALSE(img.isNull());
  EXPECT_TRUE(out.contains("Rectangle added")) << out.constData();
  // The rectangle: a solid red block of some 100 x 60 mm at 100 % (378 x 227 px).
  int red = 0;
  for (int y = 0; y < img.height(); y += 2)
    for (int x = 0; x < img.width(); x += 2) red += img.pixel(x, y) == qRgb(255, 0, 0);
  EXPECT_GT(red * 4, 300 * 200);
  EXPECT_LT(red * 4, 420 * 260);
}
