// The rich-text markup: reading it into runs, the plain/markup position mapping, and the edits the
// editor makes, checked on hand-picked markup and on random markup with random edits.
#include <gtest/gtest.h>

#include <random>

#include "ORV.RichText.h"

using namespace Orv::RichText;

namespace {

std::string S(const QString& s) { return s.toStdString(); }
std::string S(const std::optional<QString>& s) { return s ? s->toStdString() : std::string("<nothing>"); }

TRichParse Read(const QString& m) { return Parse(m, TRichTextFormat{}, TRichAlign::Left); }

// The format and alignment of every plain character ("\n" gets its paragraph's alignment only).
struct TCharStyle {
  TRichTextFormat Format;
  int Align = -1;
  bool operator==(const TCharStyle&) const = default;
};
std::vector<TCharStyle> Styles(const QString& m) {
  const TRichParse p = Read(m);
  std::vector<TCharStyle> out(p.Plain.size());
  for (const TRichTextRun& r : p.Runs)
    for (int k = 0; k < r.Text.size(); ++k) out[r.PlainStart + k] = {p.Formats[r.Format], r.Align};
  return out;
}

bool IsBreak(const TRichParse& p, int k) { return p.Plain[k] == u'\n'; }

// "[text:flags align/]" for every run: b, i, u, s; C or R; "/" where a paragraph ends.
std::string Runs(const TRichParse& p) {
  std::string out;
  for (const TRichTextRun& r : p.Runs) {
    const TRichTextFormat& f = p.Formats[r.Format];
    const std::string flags = std::string(f.Bold ? "b" : "") + (f.Italic ? "i" : "") + (f.Underline ? "u" : "") +
                              (f.Strike ? "s" : "");
    out += "[" + S(r.Text) + (flags.empty() ? "" : ":" + flags) + (r.Align == 1 ? " C" : r.Align == 2 ? " R" : "") +
           (r.ParaEnd ? "/" : "") + "]";
  }
  return out;
}

}  // namespace

TEST(RichTextParse, RunsFormatsAndPlainText) {
  // Misnested tags close their own kind; equal neighbours share a run and a format.
  TRichParse p = Read(QStringLiteral("<B>ab<I>c</B>d</I>e&lt;x&gt;&amp;"));
  EXPECT_EQ(S(p.Plain), "abcde<x>&");
  EXPECT_EQ(Runs(p), "[ab:b][c:bi][d:i][e<x>&]");
  EXPECT_EQ(p.Runs[3].Format, 0);
  EXPECT_EQ(p.Formats.size(), 4u);
  EXPECT_EQ(p.CharStart[5], 19);  // "&lt;" spans four markup characters
  EXPECT_EQ(p.CharEnd[5], 23);
  EXPECT_TRUE(p.Warnings.empty());

  // Line breaks end runs; an empty paragraph still gets a run; alignment is the innermost tag.
  p = Read(QStringLiteral("<C>a<BR><R><BR></R>b</C>c<BR/>"));
  EXPECT_EQ(S(p.Plain), "a\n\nbc\n");
  EXPECT_EQ(Runs(p), "[a C/][ R/][b C][c/]");
  EXPECT_EQ(p.Runs[1].PlainStart, 2);

  // Values: sizes in points, colours in every written form; unusable values keep what is around.
  TRichTextFormat base;
  base.Size = 3000;
  base.FontName = QStringLiteral("Base");
  p = Parse(QStringLiteral("<FS:12.5>a<FS:0>b</FS><FS:2000>c</FS><FS:x>d</FS></FS>"
                           "<FC:red>e<FC:#80112233>f<FC:zz>g</FC></FC></FC><BC:00FF00>h</BC><FN:>i</FN><FN: Arial >j"),
            base, TRichAlign::Right);
  std::vector<TRichTextFormat> f;
  for (const TRichTextRun& r : p.Runs) f.insert(f.end(), r.Text.size(), p.Formats[r.Format]);
  EXPECT_EQ(PointsToSize(72), 25400);
  EXPECT_NEAR(SizeToPoints(PointsToSize(12.5)), 12.5, 0.01);
  for (int k = 0; k <= 3; ++k) EXPECT_EQ(f[k].Size, PointsToSize(12.5)) << k;
  const std::vector<Orv::TAlphaColor> colors{f[4].Color, f[5].Color, f[6].Color, f[7].Color, f[7].BackColor};
  EXPECT_EQ(colors, (std::vector<Orv::TAlphaColor>{0xFFFF0000u, 0x80112233u, 0x80112233u, base.Color, 0xFF00FF00u}));
  EXPECT_EQ(S(f[8].FontName + u'|' + f[9].FontName), "Base|Arial");
  EXPECT_EQ(p.Runs.back().Align, 2);
  ASSERT_EQ(p.Warnings.size(), 6u);
  EXPECT_EQ(S(p.Warnings[0]), "Font size 0 in <FS:0> cannot be used");
  EXPECT_EQ(S(p.Warnings[2]), "'x' in <FS:x> is not a font size");
  EXPECT_EQ(S(p.Warnings[3]), "'zz' in <FC:zz> is not a colour");
  EXPECT_EQ(S(p.Warnings[5]), "<FN: Arial > is never closed");
}

TEST(RichTextParse, LenientReadingKeepsTheTextAndSaysWhy) {
  TRichParse p = Read(QStringLiteral("<Q>a</I>b <3 c> d<e<B:x><b>f"));
  EXPECT_EQ(S(p.Plain), "<Q>ab <3 c> d<e<B:x>f");
  ASSERT_EQ(p.Warnings.size(), 4u);
  EXPECT_EQ(S(p.Warnings[0]), "Unknown tag <Q> kept as text");
  EXPECT_EQ(S(p.Warnings[1]), "</I> without an opening tag was ignored");
  EXPECT_EQ(S(p.Warnings[2]), "Unknown tag <B:x> kept as text");
  EXPECT_EQ(S(p.Warnings[3]), "<b> is never closed");
  EXPECT_EQ(S(PlainText(QStringLiteral("<Q>a</I>b <3 c> d<e<B:x><b>f"))), S(p.Plain));

  // Raw line breaks count as line breaks; a tag cannot run over one.
  p = Read(QStringLiteral("a\r\nb\rc<B\n>"));
  EXPECT_EQ(S(p.Plain), "a\nb\nc<B\n>");
  EXPECT_EQ(p.CharEnd[1] - p.CharStart[1], 2);

  QString many;
  for (int k = 0; k < 50; ++k) many += QStringLiteral("</B>");
  EXPECT_EQ(Read(many).Warnings.size(), 20u);
}

TEST(RichTextPositions, MappingAtTagBoundaries) {
  const TRichParse p = Read(QStringLiteral("x<B>ab</B>c<BR><I></I><BR><C>d</C><BR></B>"));
  // Typing continues the character before; at a paragraph start it goes past the opening tags.
  EXPECT_EQ(PlainPosToRichPos(p, 0), 0);
  EXPECT_EQ(PlainPosToRichPos(p, 1), 1);  // after x, before <B>
  EXPECT_EQ(PlainPosToRichPos(p, 3), 6);  // after b, inside the bold span
  EXPECT_EQ(PlainPosToRichPos(p, 5), 18);  // empty paragraph: between <I> and </I>
  EXPECT_EQ(PlainPosToRichPos(p, 6), 29);  // before d, after <C>
  EXPECT_EQ(PlainPosToRichPos(p, 8), 38);  // last empty paragraph: before the stray </B>
  EXPECT_EQ(PlainPosToRichPos(p, 99), 38);
  EXPECT_EQ(PlainPosToRichPos(Read(QString()), 0), 0);
  EXPECT_EQ(PlainPosToRichPos(Read(QStringLiteral("<C><B></B></C>")), 0), 6);

  EXPECT_EQ(RichPosToPlainPos(p, 4), 1);  // inside and just after <B>: still before a
  EXPECT_EQ(RichPosToPlainPos(p, -5), 0);
  EXPECT_EQ(RichPosToPlainPos(p, 1000), 8);
  for (int k = 0; k < p.Plain.size(); ++k) EXPECT_EQ(RichPosToPlainPos(p, p.CharStart[k]), k);

  int rs = 0, re = 0;
  SelectionToRich(p, 3, 1, rs, re);
  EXPECT_EQ(rs, 4);  // the tags just outside stay outside
  EXPECT_EQ(re, 6);
  SelectionToRich(p, 5, 5, rs, re);
  EXPECT_EQ(rs, 18);
  EXPECT_EQ(re, 18);
}

TEST(RichTextToggle, WrapUnwrapSplitAndJoin) {
  const QString B = QStringLiteral("<B>"), EB = QStringLiteral("</B>");
  // Wrap, and the same selection again removes the tags.
  auto r = ToggleFormat(QStringLiteral("xabcy"), 1, 4, B, EB);
  EXPECT_EQ(S(r), "x<B>abc</B>y");
  EXPECT_EQ(S(ToggleFormat(*r, 4, 1, B, EB)), "xabcy");
  // The whole text in one pair, all selected; also with other tags inside the pair.
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>xabcy</B>"), 0, 5, B, EB)), "xabcy");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B><I>abc</I></B>"), 0, 3, B, EB)), "<I>abc</I>");
  // Inside a span: split, or shortened when the selection touches an end.
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("x<B>abcde</B>y"), 2, 5, B, EB)), "x<B>a</B>bcd<B>e</B>y");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("x<B>abcde</B>y"), 1, 3, B, EB)), "xab<B>cde</B>y");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("x<B>abcde</B>y"), 4, 6, B, EB)), "x<B>abc</B>dey");
  // Crossing a span's boundary: the whole selection ends up formatted, in one span.
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>ab</B>cd"), 1, 3, B, EB)), "<B>abc</B>d");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("ab<B>cd</B>"), 1, 3, B, EB)), "a<B>bcd</B>");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>a</B>b<B>c</B>"), 0, 3, B, EB)), "<B>abc</B>");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>ab</B>cd"), 2, 4, B, EB)), "<B>abcd</B>");  // seam joined
  // Nested pairs of the same format all go; pairs left around white space only go too.
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>a<B>b</B>c</B>"), 0, 3, B, EB)), "abc");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>ab </B>c<I> </I>"), 0, 2, B, EB)), "ab c<I> </I>");
  // A deliberate wrap of a space stays.
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("a b"), 1, 2, B, EB)), "a<B> </B>b");
  // A line break in the selection does not count as unformatted.
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<B>ab</B><BR><B>cd</B>"), 0, 5, B, EB)), "ab<BR>cd");

  // Formats with a value: another value is another format, and wins inside the selection.
  const QString FN = QStringLiteral("<FN:Arial>"), EFN = QStringLiteral("</FN>");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<FN:Times>abc</FN>"), 1, 2, FN, EFN)),
            "<FN:Times>a<FN:Arial>b</FN>c</FN>");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<FN:Times>a<FN:Arial>b</FN>c</FN>"), 1, 2, FN, EFN)),
            "<FN:Times>abc</FN>");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("a<FN:Times>bc</FN>"), 0, 3, FN, EFN)), "<FN:Arial>abc</FN>");
  EXPECT_EQ(S(ToggleFormat(QStringLiteral("<FC:red>ab</FC>"), 0, 2, QStringLiteral("<FC:FF0000>"),
                           QStringLiteral("</FC>"))),
            "ab");

  // Nothing to do, or nothing sensible asked.
  EXPECT_FALSE(ToggleFormat(QStringLiteral("abc"), 1, 1, B, EB));
  EXPECT_FALSE(ToggleFormat(QStringLiteral("abc"), 0, 2, B, QStringLiteral("</I>")));
  EXPECT_FALSE(ToggleFormat(QStringLiteral("abc"), 0, 2, QStringLiteral("<BR>"), QStringLiteral("</BR>")));
  EXPECT_FALSE(ToggleFormat(QString(), 0, 2, B, EB));
}

TEST(RichTextEdits, ColourAndAlignment) {
  auto r = ApplyColor(QStringLiteral("xabcy"), 1, 4, QStringLiteral("FC"), 0x80FF0000u);
  EXPECT_EQ(S(r), "x<FC:FF0000>abc</FC>y");
  EXPECT_FALSE(ApplyColor(*r, 1, 4, QStringLiteral("FC"), 0xFFFF0000u));
  EXPECT_FALSE(ApplyColor(*r, 2, 3, QStringLiteral("FC"), 0xFF00FF00u));  // inside an open span
  EXPECT_EQ(S(ApplyColor(*r, 1, 4, QStringLiteral("BC"), 0xFF0000FFu)), "x<FC:FF0000><BC:0000FF>abc</BC></FC>y");
  EXPECT_FALSE(ApplyColor(QStringLiteral("abc"), 2, 2, QStringLiteral("FC"), 0));
  EXPECT_FALSE(ApplyColor(QStringLiteral("abc"), 0, 2, QStringLiteral("XX"), 0));

  r = ApplyAlignment(QStringLiteral("ab"), 1, TRichAlign::Center);
  EXPECT_EQ(S(r), "<C>ab</C>");
  EXPECT_FALSE(ApplyAlignment(*r, 0, TRichAlign::Center));
  EXPECT_EQ(S(ApplyAlignment(*r, 2, TRichAlign::Right)), "<R>ab</R>");
  // A span across line breaks is split so that the other paragraphs keep their alignment.
  const QString three = QStringLiteral("<C>ab<BR><B>cd</B><BR>ef</C>");
  EXPECT_EQ(S(ApplyAlignment(three, 3, TRichAlign::Right)), "<C>ab</C><BR><R><B>cd</B></R><BR><C>ef</C>");
  EXPECT_EQ(S(ApplyAlignment(three, 0, TRichAlign::Left)), "<L>ab</L><BR><C><B>cd</B><BR>ef</C>");
  // An empty paragraph keeps its (empty) pair, and typing goes into it.
  r = ApplyAlignment(QStringLiteral("a<BR><BR>b"), 2, TRichAlign::Right);
  EXPECT_EQ(S(r), "a<BR><R></R><BR>b");
  EXPECT_EQ(S(InsertText(*r, 2, QStringLiteral("z"))), "a<BR><R>z</R><BR>b");
}

TEST(RichTextEdits, InsertAndDeleteKeepTagsAndText) {
  int added = 0;
  EXPECT_EQ(S(InsertText(QStringLiteral("<B>ab</B>"), 2, QStringLiteral("<&>\r\n\t\x01x"), &added)),
            "<B>ab&lt;&amp;&gt;<BR> x</B>");
  EXPECT_EQ(added, 6);
  // Paragraph starts and ends: after the break typing goes past the tags opening the next text.
  EXPECT_EQ(S(InsertText(QStringLiteral("a<BR><B>b</B>"), 2, QStringLiteral("z"))), "a<BR><B>zb</B>");
  EXPECT_EQ(S(InsertText(QStringLiteral("<C>ab<BR></C>"), 3, QStringLiteral("z"))), "<C>ab<BR>z</C>");
  EXPECT_EQ(S(InsertText(QStringLiteral("<I></I>"), 0, QStringLiteral("z"))), "<I>z</I>");
  // Text typed next to characters that stand for themselves cannot make a tag of them.
  const QString loose = InsertText(QStringLiteral("a <> c"), 3, QStringLiteral("b"));
  EXPECT_EQ(S(PlainText(loose)), "a <b> c");

  // Deleting across tags and a line break: the tags stay unless they are left empty.
  EXPECT_EQ(S(DeleteRange(QStringLiteral("a<B>bc</B><BR>d<I>e</I>f"), 2, 5)), "a<B>b</B><I>e</I>f");
  EXPECT_EQ(S(DeleteRange(QStringLiteral("a<B>b</B>c<B>d</B>"), 2, 3)), "a<B>bd</B>");
  EXPECT_EQ(S(DeleteRange(QStringLiteral("<C><B>ab</B></C><BR>c"), 0, 2)), "<C></C><BR>c");
  EXPECT_EQ(S(DeleteRange(QStringLiteral("ab<BR>cd"), 3, 2)), "abcd");

  // A fragment is balanced and brings its formats back where it is inserted.
  const QString m = QStringLiteral("<FN:Arial>a<B>bc</B></FN>d<C>e</C>");
  const QString f = Fragment(m, 1, 5);
  EXPECT_EQ(S(f), "<FN:Arial><B>bc</B></FN>d<C>e</C>");
  const QString back = InsertMarkup(DeleteRange(m, 1, 5), 1, f);
  EXPECT_EQ(S(PlainText(back)), "abcde");
  EXPECT_EQ(Styles(back)[3].Format, Styles(m)[3].Format);
  EXPECT_EQ(S(InsertMarkup(QStringLiteral("<B>ab</B>"), 1, QStringLiteral("x"))), "<B>a</B>x<B>b</B>");
  EXPECT_EQ(S(InsertMarkup(QStringLiteral("ab"), 1, QStringLiteral("</B><I>x<Q>"))), "a<I>x&lt;Q&gt;</I>b");
  EXPECT_EQ(S(Fragment(m, 2, 2)), "");
}

TEST(RichTextScale, LargeAndDeepMarkup) {
  QString big;
  big.reserve(1 << 20);
  while (big.size() < (1 << 20)) big += QStringLiteral("<B>word</B> <FS:12>more &amp; text</FS><BR><C>x</C> ");
  const TRichParse p = Read(big);
  EXPECT_EQ(S(p.Plain), S(PlainText(big)));
  EXPECT_EQ(p.CharStart.size(), static_cast<std::size_t>(p.Plain.size()));
  EXPECT_EQ(p.Formats.size(), 3u);

  QString deep;
  for (int k = 0; k < 10000; ++k) deep += QStringLiteral("<FS:%1>%2").arg(k % 900 + 1).arg(QChar(u'a' + k % 26));
  const TRichParse d = Read(deep);
  EXPECT_EQ(d.Plain.size(), 10000);
  EXPECT_EQ(d.Warnings.size(), 20u);
  EXPECT_EQ(d.Formats.size(), 901u);
  const auto toggled = ToggleFormat(deep, 10, 9990, QStringLiteral("<B>"), QStringLiteral("</B>"));
  ASSERT_TRUE(toggled);
  EXPECT_EQ(S(PlainText(*toggled)), S(d.Plain));
}

// Random markup, random edits: the plain text follows each edit exactly and formats change only
// where the edit says.
TEST(RichTextProperty, RandomEditsKeepTextAndFormats) {
  static const char* const parts[] = {"a", "b", " ", "xy", "<B>", "</B>", "<b>", "<I>", "</I>", "<U>", "</U>",
                                      "<FN:Arial>", "<FN:Times>", "</FN>", "<FS:12>", "<FS:0>", "</FS>",
                                      "<FC:FF0000>", "</FC>", "<C>", "</C>", "<R>", "</R>", "<BR>", "\n",
                                      "&lt;", "&amp;", "<", ">", "&", "<Q>", "</BR>"};
  std::mt19937 rng(20261206);
  const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 3000; ++round) {
    QString m;
    for (int k = pick(30); k > 0; --k) m += QString::fromLatin1(parts[pick(std::size(parts))]);
    const TRichParse before = Read(m);
    const std::vector<TCharStyle> was = Styles(m);
    const QString plain = before.Plain;
    const int n = plain.size();
    int s = pick(n + 1), e = pick(n + 1);
    if (s > e) std::swap(s, e);
    SCOPED_TRACE(S(m) + " [" + std::to_string(s) + "," + std::to_string(e) + ")");
    // Every letter's format after the edit, from `shift` letters further on; `expect` may adjust it.
    const auto check = [&](const QString& r, const QString& wantPlain, auto expect, int shift = 0) {
      ASSERT_EQ(S(PlainText(r)), S(wantPlain));
      const std::vector<TCharStyle> now = Styles(r);
      for (int k = 0; k < n; ++k) {
        const int at = k < s ? k : k + shift;
        if (IsBreak(before, k) || (shift < 0 && k >= s && k < e)) continue;
        TRichTextFormat want = was[k].Format;
        expect(k, want, now[at].Format);
        EXPECT_EQ(now[at].Format, want) << "char " << k << " of " << S(r);
      }
    };
    const auto same = [](int, TRichTextFormat&, const TRichTextFormat&) {};
    bool allBold = true, allArial = true;
    for (int k = s; k < e; ++k) {
      if (IsBreak(before, k)) continue;
      allBold = allBold && was[k].Format.Bold;
      allArial = allArial && was[k].Format.FontName == QStringLiteral("Arial");
    }
    const auto inside = [&](int k) { return k >= s && k < e; };

    switch (round % 6) {
      case 0: {  // bold flips the selection's letters as one; a leftover pair around spaces may go
        const auto r = ToggleFormat(m, s, e, QStringLiteral("<B>"), QStringLiteral("</B>"));
        ASSERT_EQ(bool(r), s != e);
        if (r) check(*r, plain, [&](int k, TRichTextFormat& w, const TRichTextFormat& now) {
            if (inside(k)) w.Bold = !allBold;
            else if (plain[k].isSpace()) w.Bold = w.Bold && now.Bold;
          });
        break;
      }
      case 1: {  // a font name: the same, with values
        const auto r = ToggleFormat(m, s, e, QStringLiteral("<FN:Arial>"), QStringLiteral("</FN>"));
        if (r) check(*r, plain, [&](int k, TRichTextFormat& w, const TRichTextFormat& now) {
            if (inside(k)) {
              EXPECT_EQ(now.FontName == QStringLiteral("Arial"), !allArial) << k;
              w.FontName = now.FontName;
            }
          });
        break;
      }
      case 2: {  // typing: the new letters take the format of the letter before them
        int added = 0;
        const QString r = InsertText(m, s, QStringLiteral("p<q&\nr"), &added);
        EXPECT_EQ(added, 6);
        check(r, QString(plain).insert(s, QStringLiteral("p<q&\nr")), same, 6);
        if (s > 0 && !IsBreak(before, s - 1)) {
          EXPECT_EQ(Styles(r)[s].Format, was[s - 1].Format) << S(r);
        }
        break;
      }
      case 3:  // deleting keeps every other letter's format
        check(DeleteRange(m, e, s), QString(plain).remove(s, e - s), same, s - e);
        break;
      case 4:  // cut and paste back: the same text in the same formats
        check(InsertMarkup(DeleteRange(m, s, e), s, Fragment(m, s, e)), plain, same);
        break;
      case 5: {  // colour and alignment change nothing but colour and alignment
        if (const auto c = ApplyColor(m, s, e, QStringLiteral("FC"), 0xFF00FF00u))
          check(*c, plain, [&](int k, TRichTextFormat& w, const TRichTextFormat&) {
            if (inside(k) && w.Color == Orv::kBlack) w.Color = 0xFF00FF00u;  // no colour of its own yet
            else if (inside(k)) w.Color = Styles(*c)[k].Format.Color;
          });
        const auto a = ApplyAlignment(m, s, TRichAlign::Right);
        if (!a) break;
        check(*a, plain, same);
        const int from = s == 0 ? 0 : plain.lastIndexOf(u'\n', s - 1) + 1;
        const int to = plain.indexOf(u'\n', s) < 0 ? n : plain.indexOf(u'\n', s);
        const std::vector<TCharStyle> now = Styles(*a);
        for (int k = 0; k < n; ++k) {
          if (!IsBreak(before, k)) {
            EXPECT_EQ(now[k].Align, k >= from && k < to ? 2 : was[k].Align) << k << S(*a);
          }
        }
        break;
      }
    }
  }
}
