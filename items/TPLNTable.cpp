#include "TPLNTable.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;
using F2d::TORVFooter;
using F2d::TORVRowCol;
using F2d::TPLNColumn;
using F2d::TPLNTableCell;
using Types::TPLNGrid;

namespace {

QString LineText(const QString& text, const TORVTxtInf& line) {
  QString s = text.mid(line.Start - 1, line.Count);
  s.remove(QLatin1Char('\r'));
  s.remove(QLatin1Char('\n'));
  return s;
}


}  // namespace

// ---------------------------------------------------------------- layout

std::int32_t TPLNTable::LayCell(const TPLNTableCell& cell, const QString& text, std::int64_t width,
                                std::int64_t height, bool pad, bool wrap, TxtLines& lines, TCellMetrics& m) {
  lines.clear();
  m = {};
  std::int64_t lh = 0;
  // A font that cannot be made lays nothing out; the cell keeps its band.
  try {
    TPLNCalc::FontSettings(cell.FontName, cell.FontHeight, cell.Bold, cell.Italic, m.Asc, m.Des, m.Und, lh, m.Ratio);
  } catch (const EPLNError&) {
    m = {};
    return std::int32_t(height);
  }
  const std::int64_t padX = pad ? GetBasePadX() : 0, padY = pad ? GetBasePadY() : 0;
  const std::int64_t w = width - 2 * padX;
  if (text.isEmpty() || w <= 0 || cell.FontHeight <= 0) return std::int32_t(height);
  if (!wrap) {
    const std::int64_t h = height - 2 * padY;
    if (h > 0) TPLNCalc::CalcTxtPts(text, nullptr, lines, w, h, padX, padY, cell.HorzAlign, cell.VertAlign, float(cell.Interline));
    return std::int32_t(height);
  }
  const std::int64_t used =
      TPLNCalc::CalcTxtPts(text, nullptr, lines, w, 0, padX, padY, cell.HorzAlign, TORVVertAlign::Top, float(cell.Interline));
  const std::int64_t need = used + 2 * padY;
  // A wrapped cell in a taller row keeps its own alignment inside the row.
  if (need < height && cell.VertAlign != TORVVertAlign::Top) {
    const std::int64_t shift = cell.VertAlign == TORVVertAlign::Center ? (height - need) / 2 : height - need;
    for (TORVTxtInf& l : lines) l.Y += shift;
  }
  return std::int32_t(std::max<std::int64_t>(need, height));
}

std::int32_t TPLNTable::LayRow(int r, int slot) {
  const std::int64_t width = BaseScaleWidth();
  std::int32_t rowHeight = GetRowHeight();
  TCellMetrics m;
  for (int i = 1; i <= GetColumnCount(); ++i) {
    TPLNColumn& c = GetColumn(i);
    TORVRowCol rec;
    rec.Kind = 1;
    rec.Text = c.GetLineTxt(slot);
    rec.Height = LayCell(c.Body, rec.Text, std::llround(double(width) * ColumnShare(i)), GetRowHeight(), true, c.Body.WrapText, rec.Lines, m);
    if (c.Body.WrapText) rowHeight = std::max(rowHeight, rec.Height);
    if (r <= 1) c.FontSettings(2, m.Asc, m.Des, m.Und, m.Ratio);
    c.SetData(slot, std::move(rec));
  }
  return rowHeight;
}

int TPLNTable::RowBand(int r) const { return r - 1 + (Title().Shown ? 1 : 0) + (GetHeaderHeight() > 0 ? 1 : 0); }

void TPLNTable::AppendFooter(std::int64_t last, bool atBoxBottom) {
  const int after = GetLineCount() - 1;
  const std::int32_t footer = GetFooterHeight();
  if (atBoxBottom) {
    // The footer sits on the box's bottom edge, whatever the rows leave free; the band between
    // ends where the footer starts.
    const std::int64_t box = BaseScaleHeight();
    if (footer <= 0) {
      SetLinePos(after + 1, std::max(last, box));
      return;
    }
    SetLinePos(after + 1, std::max(last, box - footer));
    SetLinePos(after + 2, std::max(last, box - footer) + footer);
    return;
  }
  if (footer > 0) SetLinePos(after + 1, last + footer);
}

std::int64_t TPLNTable::RowRoom() const {
  const std::int64_t headerFooter = GetHeaderHeight() + GetFooterHeight();
  std::int64_t A = 0;
  if (GetFitToBox()) {
    A = BaseScaleHeight() - headerFooter;
  } else {
    const std::int64_t top = NumPoints() >= 2 ? std::min(GetPoint(1).Y, GetPoint(2).Y) : 0;
    const std::int64_t page = Owner() ? Owner()->Measure().GetSize(3, true) : 0;
    A = page - top / CoordMultiplier() - headerFooter;
  }
  return Title().Shown ? A - Title().BaseHeight : A;
}

void TPLNTable::CalcValues(std::int16_t mode) {
  const bool data = mode == kDataMode;
  if (!data) {
    fPageStarts.clear();
    fPagesRecords = -1;
  }
  const std::int64_t width = BaseScaleWidth();
  TCellMetrics m;
  F2d::TPLNBaseTitle& title = Title();
  if (title.Shown) {
    TxtLines lines;
    LayCell(title, title.Text, width, title.BaseHeight, false, false, lines, m);
    title.SetBaseSize(0, m.Asc, m.Des, m.Ratio);
    title.Und = m.Und;
    title.SetLines(std::move(lines));
  }
  // Every row is at least the minimum row height: no more rows than that fit need reading.
  const std::int64_t A = RowRoom();
  const std::int64_t most = GetRowHeight() > 0 ? std::max<std::int64_t>(0, A) / GetRowHeight() + 1 : -1;
  SetFillLimit(data && most >= 0 ? int(std::min<std::int64_t>(most, 1 << 30)) : -1);
  FillTable(true, data);

  const int recalc = GetRecalcColumn();
  const auto columns = [&](const std::function<void(int, TPLNColumn&, std::int64_t)>& f) {
    for (int i = 1; i <= GetColumnCount(); ++i)
      if (recalc == -1 || recalc == i) f(i, GetColumn(i), std::llround(double(width) * ColumnShare(i)));
  };
  columns([&](int, TPLNColumn& c, std::int64_t cw) {
    if (!c.Header.Shown) return;
    TORVRowCol rec;
    rec.Kind = 0;
    rec.Text = c.GetLineTxt(0);
    rec.Height = LayCell(c.Header, rec.Text, cw, GetHeaderHeight(), true, false, rec.Lines, m);
    c.SetData(0, std::move(rec));
    c.FontSettings(1, m.Asc, m.Des, m.Und, m.Ratio);
  });

  // Bands: title, header, rows, footer.
  SetLineCount(0);
  std::int64_t H = 0;
  int band = -1;
  if (title.Shown) {
    H = title.BaseHeight;
    SetLinePos(++band, H);
  }
  if (GetHeaderHeight() > 0) {
    H += GetHeaderHeight();
    SetLinePos(++band, H);
  }
  fShownRows = 0;
  if (!data) {
    const std::int32_t h = LayRow(1, 1);
    H += h;
    SetLinePos(++band, H);
    fShownRows = 1;
  } else {
    std::int64_t rowsH = 0;
    for (int r = 1; r <= GetDataRowCount(); ++r) {
      const std::int32_t h = LayRow(r, r + 2);
      if (rowsH + h > A) {
        SetLinePos(++band, -1);
        break;
      }
      rowsH += h;
      H += h;
      SetLinePos(++band, H);
      ++fShownRows;
    }
    // The footer sums up what this page shows.
    FillFooters(fShownRows);
  }

  columns([&](int, TPLNColumn& c, std::int64_t cw) {
    if (c.Footer.Footer == TORVFooter::None) return;
    TORVRowCol rec;
    rec.Kind = 2;
    rec.Text = c.GetLineTxt(2);
    rec.Height = LayCell(c.Footer, rec.Text, cw, GetFooterHeight(), true, false, rec.Lines, m);
    c.SetData(2, std::move(rec));
    c.FontSettings(3, m.Asc, m.Des, m.Und, m.Ratio);
  });
  // The footer follows the last row shown (a row that did not fit keeps its -1 band before it),
  // or sits on the box's bottom edge.
  AppendFooter(H, !data || GetFitToBox());
}

// ---------------------------------------------------------------- paging

int TPLNTable::FirstRecordOfTablePage(int page) {
  const TPLNBaseLabel* doc = Owner();
  const void* source = doc ? static_cast<const void*>(doc->GetDataSource()) : nullptr;
  const int records = doc ? doc->GetRecordCount() : 0;
  if (page <= 1 || !source) return 0;
  if (source != fPagesSource || records != fPagesRecords || fPageStarts.empty()) {
    fPageStarts.assign(1, 0);
    fPagesSource = source;
    fPagesRecords = records;
  }
  const int keep = GetFirstRecord();
  while (int(fPageStarts.size()) < page && fPageStarts.back() < records) {
    SetFirstRecord(fPageStarts.back());
    CalcValues(kDataMode);
    // A row taller than a whole page would hold every later page back: it goes alone.
    fPageStarts.push_back(fPageStarts.back() + std::max(1, fShownRows));
  }
  SetFirstRecord(keep);
  return page <= int(fPageStarts.size()) ? fPageStarts[page - 1] : records;
}

int TPLNTable::DataPages() {
  std::lock_guard lock(fLayoutLock);
  const TPLNBaseLabel* doc = Owner();
  if (!doc || !doc->GetDataSource() || !GetIsData()) return 0;
  const int records = doc->GetRecordCount();
  // Counted afresh: the table may have changed since the pages were last walked.
  fPageStarts.clear();
  int pages = 1;
  while (FirstRecordOfTablePage(pages + 1) < records) ++pages;
  return pages;
}

// ---------------------------------------------------------------- drawing steps

std::vector<TPLNTable::TStep> TPLNTable::Steps(TPLNDraw* d) {
  std::vector<TStep> out;
  if (NumPoints() < 2) return out;
  const bool data = ShowsData(*d);
  if (data) {
    const TPLNBaseLabel* doc = Owner();
    // The page a print loop is on, else the one the export or preview shows.
    const int page = d->Page > 0 ? d->Page : doc ? doc->PrintInfo.CurrentPage : 1;
    SetFirstRecord(doc ? FirstRecordOfTablePage(page) : 0);
  }
  CalcValues(data ? kDataMode : 0);
  if (GetLineCount() == 0) return out;

  const TORVPto p1 = GetPoint(1), p2 = GetPoint(2);
  const double W = std::abs(p2.DrawX(*d) - p1.DrawX(*d));
  const double boxH = std::abs(p2.DrawY(*d) - p1.DrawY(*d));
  const auto Y = [&](std::int64_t v) { return double(d->DrawBasePtoY(double(v))); };
  const auto X = [&](std::int64_t v) { return double(d->DrawBasePtoX(double(v))); };
  const double T = Y(GetLinePos(GetLineCount() - 1));

  // Background.
  if (ShowsFill(*this)) out.push_back({TStep::Fill, QRectF(0, 0, W, T), {}, {}, nullptr, 1, 0, GetBackColor(), 0});

  const auto texts = [&](const QString& text, const TxtLines& lines, const TPLNTableCell& cell, double ratio,
                         std::int64_t asc, double x, double y) {
    if (text.isEmpty() || !(ratio > 0)) return;
    for (const TORVTxtInf& l : lines) {
      const QString s = LineText(text, l);
      if (s.isEmpty()) continue;
      TStep t;
      t.What = TStep::Text;
      t.Rect = QRectF(x + X(l.X), y + Y(l.Y), 0, 0);
      t.Str = s;
      t.Cell = &cell;
      t.Ratio = ratio;
      t.Ascent = float(Y(asc));
      t.Color = cell.FontColor;
      out.push_back(std::move(t));
    }
  };
  const auto fill = [&](const TPLNTableCell& cell, QRectF r) {
    if (cell.FillBack && r.height() > 0) out.push_back({TStep::Fill, r, {}, {}, nullptr, 1, 0, cell.BackColor, 0});
  };

  // Title.
  double top = 0;
  const F2d::TPLNBaseTitle& title = Title();
  if (title.Shown && title.BaseHeight > 0) {
    const double h = Y(title.BaseHeight);
    fill(title, QRectF(0, 0, W, h));
    texts(title.Text, title.Lines(), title, title.Ratio, title.Asc, 0, 0);
    top = h;
  }
  const double headerTop = top;

  // Header.
  if (GetHeaderHeight() > 0) {
    const double h = Y(GetHeaderHeight());
    double x = 0;
    for (int i = 1; i <= GetColumnCount(); ++i) {
      const TPLNColumn& c = GetColumn(i);
      const double cw = W * ColumnShare(i);
      if (c.Header.Shown) {
        fill(c.Header, QRectF(x, top, cw, h));
        const TORVRowCol& rec = c.GetData(0);
        texts(rec.Text, rec.Lines, c.Header, c.RatFont(1), c.AscFont(1), x, top);
      }
      x += cw;
    }
    top += h;
  }

  // Body.
  const int rows = data ? ShownRows() : 1;
  const double bodyBottom = rows > 0 ? Y(GetLinePos(RowBand(rows))) : top;
  {
    double x = 0;
    for (int i = 1; i <= GetColumnCount(); ++i) {
      const TPLNColumn& c = GetColumn(i);
      const double cw = W * ColumnShare(i);
      fill(c.Body, QRectF(x, top, cw, bodyBottom - top));
      double y = top;
      for (int r = 1; r <= rows; ++r) {
        const TORVRowCol& rec = c.GetData(data ? r + 2 : 1);
        texts(rec.Text, rec.Lines, c.Body, c.RatFont(2), c.AscFont(2), x, y);
        y = Y(GetLinePos(RowBand(r)));
      }
      x += cw;
    }
  }

  // Footer.
  if (GetFooterHeight() > 0) {
    const double h = Y(GetFooterHeight());
    const double footerTop = !GetFitToBox() && data ? bodyBottom : boxH - h;
    double x = 0;
    for (int i = 1; i <= GetColumnCount(); ++i) {
      const TPLNColumn& c = GetColumn(i);
      const double cw = W * ColumnShare(i);
      fill(c.Footer, QRectF(x, footerTop, cw, h));
      if (c.Footer.Footer != TORVFooter::None) {
        const TORVRowCol& rec = c.GetData(2);
        texts(rec.Text, rec.Lines, c.Footer, c.RatFont(3), c.AscFont(3), x, footerTop);
      }
      x += cw;
    }
  }

  // Grid.
  const float gw = d->DrawBasePtoX(double(GetGridWidth()) * 1000.0);
  const TPLNGrid grid = GetGridType();
  if (grid == TPLNGrid::Vertical || grid == TPLNGrid::Both) {
    double x = 0;
    for (int i = 1; i < GetColumnCount(); ++i) {
      x += W * ColumnShare(i);
      out.push_back({TStep::Line, {}, QLineF(x, headerTop, x, T), {}, nullptr, 1, 0, GetGridColor(), gw});
    }
  }
  if (grid == TPLNGrid::Horizontal || grid == TPLNGrid::Both) {
    for (int i = 1; i < GetLineCount(); ++i) {
      const std::int64_t pos = GetLinePos(i - 1);
      if (pos < 0) continue;
      const double y = Y(pos);
      out.push_back({TStep::Line, {}, QLineF(gw / 2.0, y, W - gw / 2.0, y), {}, nullptr, 1, 0, GetGridColor(), gw});
    }
  }

  // Outline.
  if (GetPenWidth() > 0) {
    const float pw = d->DrawBasePtoX(GetPenWidth());
    out.push_back({TStep::Outline, QRectF(QPointF(pw / 2.0, pw / 2.0), QPointF(W - pw / 2.0, T - pw / 2.0)), {}, {},
                   nullptr, 1, 0, GetColor(), pw});
  }
  return out;
}

void TPLNTable::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  std::lock_guard lock(fLayoutLock);
  ISkCanvas& k = *d->kC;
  TSkPaint& p = *d->kP;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  const std::vector<TStep> steps = Steps(d);
  k.Save();
  k.Translate(float(box.left()), float(box.top()));
  for (const TStep& s : steps) {
    switch (s.What) {
      case TStep::Fill:
        SetupFill(d, s.Color, true);
        p.AntiAlias = true;
        k.DrawRect(s.Rect, p);
        break;
      case TStep::Text: {
        const TSkFont font = ScreenFont(*d, s.Cell->FontName, s.Cell->GetFontHeight(), s.Cell->Bold, s.Cell->Italic, s.Ratio);
        if (!(font.Size > 0)) break;
        SetupTextPaint(d, s.Color);
        const float y = float(s.Rect.top()) + s.Ascent;
        k.DrawSimpleText(s.Str, float(s.Rect.left()), y, font, p);
        if (s.Cell->Underline)
          DrawUnderline(d, s.Color, float(s.Rect.left()), float(s.Rect.left()) + font.MeasureText(s.Str),
                        y + font.Metrics().UnderlinePosition);
        break;
      }
      case TStep::Line:
        p.PathEffect.reset();
        p.Style = TSkPaintStyle::Stroke;
        p.AntiAlias = true;
        p.Color = s.Color;
        p.StrokeWidth = s.Width;
        k.DrawLine(float(s.Segment.x1()), float(s.Segment.y1()), float(s.Segment.x2()), float(s.Segment.y2()), p);
        break;
      case TStep::Outline:
        SetupPen(d, *this);
        p.Style = TSkPaintStyle::Stroke;
        p.StrokeWidth = s.Width;
        k.DrawRect(s.Rect, p);
        break;
    }
  }
  k.Restore();
  if (GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(box.left()), float(box.top()));
}

void TPLNTable::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  std::lock_guard lock(fLayoutLock);
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  const std::vector<TStep> steps = Steps(d);
  const QPointF o = box.topLeft();
  for (const TStep& s : steps) {
    switch (s.What) {
      case TStep::Fill:
        c.Fill.Kind = TBrushKind::Solid;
        c.Fill.Color = s.Color;
        c.FillRect(s.Rect.translated(o), 0, 0, 0, 1, TCornerType::Round);
        break;
      case TStep::Text: {
        c.Font = PrintFont(s.Cell->FontName, s.Cell->GetFontHeight(), s.Cell->Bold, s.Cell->Italic, s.Cell->Underline, s.Ratio);
        if (!(c.Font.Size > 0)) break;
        TPrintTextFrame frame(d, 1, 0, s.Rect.topLeft() + o, s.Color);
        c.FillText(QRectF(0, 0, 50000, 20000), s.Str, false, 1, TTextAlign::Leading, TTextAlign::Leading);
        break;
      }
      case TStep::Line:
        c.Stroke.Kind = TBrushKind::Solid;
        c.Stroke.Dash = TStrokeDash::Solid;
        c.Stroke.Color = s.Color;
        c.Stroke.Thickness = s.Width;
        c.DrawLine(s.Segment.p1() + o, s.Segment.p2() + o, 1);
        break;
      case TStep::Outline:
        SetupPrintPen(d, *this);
        c.Stroke.Thickness = s.Width;
        c.DrawRect(s.Rect.translated(o), 0, 0, 0, 1, TCornerType::Round);
        break;
    }
  }
}

TPLNTable* TPLNTable::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNTable>(owner, version, r, readType);
}
TPLNTable* TPLNTable::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNTable>(owner, version, o);
}

}  // namespace Orv::Fmx
