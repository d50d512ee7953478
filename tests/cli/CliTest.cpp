// The command-line tool, run as a separate process.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPdfDocument>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct TRun {
  int code = -1;
  QString out;
  QString err;
};

TRun Planora(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(PLANORA_CLI), args);
  TRun r;
  if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
    ADD_FAILURE() << "planora " << args.join(' ').toStdString() << " did not finish normally";
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitCode();
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

QString Sample(const char* name) { return QStringLiteral(PLANORA_SOURCE_DIR "/examples/") + QLatin1String(name); }
QString Tmp(const QString& name) {
  const QString dir = QStringLiteral(PLANORA_TEST_TMP);
  QDir().mkpath(dir);
  return dir + QLatin1Char('/') + name;
}
QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
int ItemsIn(const QString& jsonPath) {
  return static_cast<int>(QJsonDocument::fromJson(ReadAll(jsonPath)).object().value("Items").toArray().size());
}

// A failure: non-zero status, one line on standard error that mentions `what`, nothing written.
void ExpectFailure(const QStringList& args, const QString& what, const QString& notWritten = {}) {
  SCOPED_TRACE(args.join(' ').toStdString());
  if (!notWritten.isEmpty()) QFile::remove(notWritten);
  const TRun r = Planora(args);
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.endsWith('\n'));
  EXPECT_TRUE(r.err.contains(what)) << r.err.toStdString();
  if (!notWritten.isEmpty()) {
    EXPECT_FALSE(QFileInfo::exists(notWritten));
  }
}

}  // namespace

TEST(Cli, HelpAndInfo) {
  const TRun help = Planora({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.contains("export")) << help.out.toStdString();
  EXPECT_TRUE(help.err.isEmpty());

  for (const char* name : {"shapes.json", "labels-basic.json"}) {
    SCOPED_TRACE(name);
    const TRun info = Planora({"info", Sample(name)});
    EXPECT_EQ(info.code, 0) << info.err.toStdString();
    const int n = ItemsIn(Sample(name));
    ASSERT_GT(n, 0);
    EXPECT_TRUE(info.out.contains(QStringLiteral("Items:       %1\n").arg(n))) << info.out.toStdString();
  }
}

TEST(Cli, ExportSamples) {
  for (const char* name : {"shapes.json", "labels-basic.json"}) {
    SCOPED_TRACE(name);
    const QString base = QFileInfo(QLatin1String(name)).completeBaseName();
    const QString png = Tmp(base + ".png"), pdf = Tmp(base + ".pdf");
    QFile::remove(png);
    QFile::remove(pdf);

    const TRun a = Planora({"export", Sample(name), png});
    EXPECT_EQ(a.code, 0) << a.err.toStdString();
    QImage img(png);
    ASSERT_FALSE(img.isNull());
    // A4 at 96 dpi, either way round.
    EXPECT_EQ(std::max(img.width(), img.height()), 1123);
    EXPECT_EQ(std::min(img.width(), img.height()), 794);
    // Something was drawn on the white sheet.
    int ink = 0;
    for (int y = 0; y < img.height(); y += 3)
      for (int x = 0; x < img.width(); x += 3) ink += qGray(img.pixel(x, y)) < 200;
    EXPECT_GT(ink, 50);

    const TRun b = Planora({"export", Sample(name), pdf, "--page", "1"});
    EXPECT_EQ(b.code, 0) << b.err.toStdString();
    QPdfDocument doc;
    ASSERT_EQ(doc.load(pdf), QPdfDocument::Error::None);
    EXPECT_EQ(doc.pageCount(), 1);
    const QSizeF pt = doc.pagePointSize(0);
    EXPECT_NEAR(std::max(pt.width(), pt.height()), 297 / 25.4 * 72, 0.5);
  }
  // Fit and scale.
  const QString fit = Tmp("shapes-fit.png");
  const TRun f = Planora({"export", Sample("shapes.json"), fit, "--fit", "--scale", "2"});
  EXPECT_EQ(f.code, 0) << f.err.toStdString();
  QImage img(fit);
  ASSERT_FALSE(img.isNull());
  EXPECT_LT(img.width(), 2 * 1123);
  EXPECT_GT(img.width(), 100);
}

TEST(Cli, ConvertRoundTrip) {
  const QString eti = Tmp("conv.eti"), back = Tmp("conv-back.json"), direct = Tmp("conv-direct.json");
  for (const QString& f : {eti, back, direct}) QFile::remove(f);
  EXPECT_EQ(Planora({"convert", Sample("shapes.json"), eti}).code, 0);
  EXPECT_EQ(Planora({"convert", eti, back}).code, 0);
  EXPECT_EQ(Planora({"convert", Sample("shapes.json"), direct}).code, 0);
  const QByteArray a = ReadAll(back), b = ReadAll(direct);
  ASSERT_FALSE(a.isEmpty());
  EXPECT_EQ(a, b);
  EXPECT_EQ(ItemsIn(back), ItemsIn(Sample("shapes.json")));
  // And the binary file converts back to the same bytes.
  const QString eti2 = Tmp("conv-2.eti");
  EXPECT_EQ(Planora({"convert", back, eti2}).code, 0);
  EXPECT_EQ(ReadAll(eti), ReadAll(eti2));
}

TEST(Cli, ErrorsAreOneLine) {
  const QString out = Tmp("never.png");
  ExpectFailure({"export", Tmp("missing.json"), out}, "missing.json", out);
  ExpectFailure({"info", Tmp("missing.eti")}, "missing.eti");

  const QString txt = Tmp("drawing.txt");
  {
    QFile f(txt);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ReadAll(Sample("shapes.json")));
  }
  ExpectFailure({"export", txt, out}, "drawing.txt", out);
  ExpectFailure({"export", Sample("shapes.json"), Tmp("never.svg")}, "never.svg", Tmp("never.svg"));
  ExpectFailure({"convert", Sample("shapes.json"), Tmp("never.pdf")}, "never.pdf", Tmp("never.pdf"));
  ExpectFailure({"export", Sample("shapes.json"), Tmp("never.gif")}, "GIF", Tmp("never.gif"));

  ExpectFailure({"export", Sample("shapes.json"), out, "--colour", "red"}, "--colour", out);
  ExpectFailure({"export", Sample("shapes.json"), out, "--page", "0"}, "--page", out);
  ExpectFailure({"export", Sample("shapes.json"), out, "--page", "two"}, "--page", out);
  ExpectFailure({"export", Sample("shapes.json"), out, "--page"}, "--page", out);
  ExpectFailure({"export", Sample("shapes.json"), out, "--scale", "-1"}, "--scale", out);
  ExpectFailure({"frobnicate"}, "frobnicate");
  ExpectFailure({"export", Sample("shapes.json"), Tmp("no/such/dir/x.pdf")}, "x.pdf");
  ExpectFailure({"convert", Sample("shapes.json"), Tmp("no/such/dir/x.eti")}, "x.eti");

  // Corrupt drawings: a cut binary file and broken JSON.
  const QString eti = Tmp("corrupt-src.eti");
  ASSERT_EQ(Planora({"convert", Sample("labels-basic.json"), eti}).code, 0);
  const QByteArray bytes = ReadAll(eti);
  const QString cut = Tmp("corrupt.eti");
  {
    QFile f(cut);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.left(bytes.size() - 9));
  }
  ExpectFailure({"export", cut, out}, "corrupt.eti", out);
  ExpectFailure({"info", cut}, "corrupt.eti");
  const QString broken = Tmp("broken.json");
  {
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\n  \"Items\": [\n    {\"Type\": 6,\n");
  }
  ExpectFailure({"convert", broken, Tmp("never.eti")}, "broken.json", Tmp("never.eti"));
}
