// Font calibration, its per-thread cache and the rule for missing fonts.
#include <QFontDatabase>
#include <thread>

#include "ORV.BinaryIO.h"
#include "TextLayoutSupport.h"

using namespace TextLayoutTest;

namespace {

class FontSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { TPLNCalc::Reset(); }
};

TEST_F(FontSettingsTest, CacheAnswersSameKeyWithoutMakingAFont) {
  const TMetrics first = Settle(QStringLiteral("DejaVu Sans"), 5000);
  const std::uint64_t made = TPLNCalc::FontsMade();
  const TMetrics again = Settle(QStringLiteral("DejaVu Sans"), 5000);
  EXPECT_EQ(TPLNCalc::FontsMade(), made);
  EXPECT_EQ(again.Asc, first.Asc);
  EXPECT_EQ(again.Des, first.Des);
  EXPECT_EQ(again.Und, first.Und);
  EXPECT_EQ(again.Lh, 5000);
  EXPECT_EQ(again.Ratio, first.Ratio);

  // Any part of the key recomputes; so does Reset.
  Settle(QStringLiteral("DejaVu Sans"), 5000, false, true);
  EXPECT_GT(TPLNCalc::FontsMade(), made);
  EXPECT_TRUE(TPLNCalc::Font().Italic);
  const std::uint64_t afterItalic = TPLNCalc::FontsMade();
  Settle(QStringLiteral("DejaVu Sans"), 5000, false, true);
  EXPECT_EQ(TPLNCalc::FontsMade(), afterItalic);
  TPLNCalc::Reset();
  Settle(QStringLiteral("DejaVu Sans"), 5000, false, true);
  EXPECT_GT(TPLNCalc::FontsMade(), afterItalic);

  // A hit brings back its font after an uncached call made another.
  std::int64_t a, d, w;
  double r;
  TPLNCalc::FontSettings(QStringLiteral("x"), QStringLiteral("DejaVu Sans"), 9000, true, false, a, d, w, r);
  EXPECT_TRUE(TPLNCalc::Font().Bold);
  const std::uint64_t beforeHit = TPLNCalc::FontsMade();
  Settle(QStringLiteral("DejaVu Sans"), 5000, false, true);
  EXPECT_EQ(TPLNCalc::FontsMade(), beforeHit);
  EXPECT_FALSE(TPLNCalc::Font().Bold);

  // Another thread has a cache of its own and leaves this one alone.
  std::uint64_t madeThere = 0;
  std::thread([&] {
    Settle(QStringLiteral("Arial"), 7000, true);
    madeThere = TPLNCalc::FontsMade();
  }).join();
  EXPECT_EQ(madeThere, 2u);
  Settle(QStringLiteral("DejaVu Sans"), 5000, false, true);
  EXPECT_EQ(TPLNCalc::FontsMade(), beforeHit);
  EXPECT_FALSE(TPLNCalc::Font().Bold);
}

TEST_F(FontSettingsTest, MissingFontsRaiseAndKnownNamesResolve) {
  for (const char* name : {"Arial", "DejaVu Sans", "dejavu sans", "Times New Roman", "Courier New", "sans-serif",
                           "monospace"}) {
    EXPECT_TRUE(FontAvailable(QLatin1String(name))) << name;
    EXPECT_NO_THROW(Settle(QLatin1String(name), 4000)) << name;
  }
  // A generic family measures with the installed face fontconfig picks for it.
  EXPECT_TRUE(QFontDatabase::families().contains(TPLNCalc::Font().Family)) << TPLNCalc::Font().Family.toStdString();
  Settle(QStringLiteral("Arial"), 4000);
  EXPECT_EQ(TPLNCalc::Font().Family, QStringLiteral("Liberation Sans"));

  EXPECT_FALSE(FontAvailable(QStringLiteral("No Such Typeface 4711")));
  std::int64_t a, d, u, l;
  double r;
  try {
    TPLNCalc::FontSettings(QStringLiteral("No Such Typeface 4711"), 4000, false, false, a, d, u, l, r);
    ADD_FAILURE() << "no exception";
  } catch (const EPLNError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Could not load the specified font"));
  }
  EXPECT_THROW(TPLNCalc::FontSettings(QStringLiteral("t"), QStringLiteral("No Such Typeface 4711"), 4000, false,
                                      false, a, d, u, r),
               EPLNError);
  EXPECT_THROW(TPLNCalc::FontSettings(QString(), 4000, false, false, a, d, u, l, r), EPLNError);
}

TEST_F(FontSettingsTest, CalibrationMakesAscentPlusDescentTheRequestedHeight) {
  for (const char* name : {"DejaVu Sans", "Arial", "Times New Roman"}) {
    for (std::int64_t h : {1500, 4000, 10000, 35000}) {
      const TMetrics m = Settle(QLatin1String(name), h, true);
      EXPECT_NEAR(double(m.Asc + m.Des), double(h), 0.02 * double(h)) << name << " " << h;
      EXPECT_GT(m.Asc, m.Des);
      EXPECT_GE(m.Und, 0);  // below the baseline
      EXPECT_LT(m.Und, m.Des);

      std::int64_t a, d, w;
      double r;
      TPLNCalc::FontSettings(QStringLiteral("Hello"), QLatin1String(name), h, true, false, a, d, w, r);
      EXPECT_EQ(a, m.Asc);
      EXPECT_EQ(d, m.Des);
      EXPECT_EQ(r, m.Ratio);
      EXPECT_EQ(w, TPLNCalc::CalcTxtSize(QStringLiteral("Hello")));
      EXPECT_GT(w, TPLNCalc::CalcTxtSize(QStringLiteral("Hell")));
    }
  }
  // About 9.9 and 10.1 pixels: a font rounded to whole pixels would measure both alike.
  const QString text = QStringLiteral("The quick brown fox jumps over the lazy dog");
  Settle(QStringLiteral("DejaVu Sans"), 3000);
  const std::int64_t smaller = TPLNCalc::CalcTxtSize(text);
  Settle(QStringLiteral("DejaVu Sans"), 3060);
  EXPECT_NEAR(double(TPLNCalc::CalcTxtSize(text)) / double(smaller), 3060.0 / 3000.0, 0.004);
}


}  // namespace
