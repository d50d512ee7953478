// Gantt charts and diagrams laid out from text: a day scale of bars, a layered flow layout (with
// a two-sided tree variant for mind maps), a sequence layout and a fishbone layout.
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"
#include "ORV.Gantt.h"

namespace Orv::Fmx {

using namespace Diagram;
using F2d::TORVinkType;
using FactorySupport::TBatch;

namespace {

constexpr std::int64_t kNodeW = 40000, kNodeH = 18000;
constexpr std::int64_t kLevelStep = 55000, kRowStep = 34000;
constexpr TAlphaColor kLavender = 0xFFE6E6FA, kLightYellow = 0xFFFFFFE0, kGoldenrod = 0xFFDAA520,
                      kGrey = 0xFF808080;

// Terminator kinds as the link and arrow-line items number them.
constexpr TORVTermType kTermNone = 0, kTermFillCircle = 2, kTermArrow = 3, kTermFillArrow = 4, kTermRhombus = 7,
                       kTermFillRhombus = 8, kTermCross = 11;

double MM(std::int64_t base) { return static_cast<double>(base) / 1000.0; }

// A drawing made from text is one page of its own size, whatever label grid came before.
void SetPage(TPLNBaseLabel* doc, std::int64_t w, std::int64_t h) {
  TPLNMeasure m;
  m.SetPaperSizeMM(MM(w), MM(h));
  m.LabelName = QStringLiteral("Custom");
  doc->SetMeasure(m);
}

// The largest paper a document holds, either way: 100 m.
constexpr std::int64_t kMaxPage = 100000000;

bool FitsPage(std::int64_t w, std::int64_t h) { return w <= kMaxPage && h <= kMaxPage; }

TORVDiagDiagnostic TooLarge() {
  return {TORVDiagSeverity::Error, 0, QStringLiteral("too-large"),
          QStringLiteral("the drawing would be larger than the largest page (100 m either way); nothing was laid out"),
          {}};
}

void StartDrawing(TPLNBaseLabel* doc) {
  // Item by item rather than ClearItems, which forgets the history: the import stays undoable.
  doc->ClearSelection();
  for (int i = doc->GetItemsCount(); i >= 1; --i) doc->DeleteItem(i);
  doc->SetUnits(TORVUnits::mm);
}

Text::TPLNBaseText* AddCaption(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QString& text,
                               std::int64_t fontHeight, bool bold) {
  auto* t = static_cast<Text::TPLNBaseText*>(TPLNFactory::AddBaseText(doc, x, y));
  t->SetText(text);
  t->SetFontHeight(static_cast<float>(MM(fontHeight)));
  t->SetBold(bold);
  return t;
}

Text::TPLNBasePara* AddBox(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                           const QString& text, TORVHorzAlign ha, TORVVertAlign va) {
  auto* p = static_cast<Text::TPLNBasePara*>(TPLNFactory::AddBaseParagraph(doc, x, y, w, h));
  p->SetText(text);
  p->SetHorzAlign(ha);
  p->SetVertAlign(va);
  return p;
}

void Convert(const std::vector<TGanttDiagnostic>& from, std::vector<TORVDiagDiagnostic>* to) {
  if (!to) return;
  for (const auto& d : from) {
    TORVDiagDiagnostic x;
    x.Severity = d.Severity == TGanttSeverity::Error ? TORVDiagSeverity::Error : TORVDiagSeverity::Warning;
    x.Line = d.Line;
    x.Code = QStringLiteral("gantt");
    x.Message = d.Message;
    to->push_back(x);
  }
}

TORVTermType FlowTerm(std::uint8_t code, bool target) {
  switch (code) {
    case kArrowFill: return kTermFillArrow;
    case kArrowNone: return kTermNone;
    case kArrowCross: return kTermCross;
    case kArrowCircle: return kTermFillCircle;
    case kArrowRhombus: return kTermRhombus;
    case kArrowFillRhombus: return kTermFillRhombus;
    default: return target ? kTermFillArrow : kTermNone;
  }
}

TORVTermType SeqTerm(std::uint8_t code) {
  switch (code) {
    case kSeqOpen: return kTermArrow;
    case kSeqCross: return kTermCross;
    case kSeqNone: return kTermNone;
    default: return kTermFillArrow;
  }
}

void SetLinkEnds(TPLNBaseItem* item, TORVTermType from, TORVTermType to, bool dashed) {
  auto* link = static_cast<TPLNLink*>(item);
  link->SetFromType(from);
  link->SetToType(to);
  if (dashed) link->SetLineType(1);
}

// A flow box for a node: fill, name, text and fitted font.
TPLNBaseItem* AddNode(TPLNBaseLabel* doc, const TORVDiagNode& node, std::int64_t x, std::int64_t y, std::int64_t w,
                      std::int64_t h, std::int64_t fontHeight) {
  TPLNBaseItem* item = TPLNFactory::AddBaseFlow(doc, x, y, w, h, node.Shape);
  auto* flow = static_cast<TPLNFlow*>(item);
  if (node.HasFill) flow->SetBackColor(node.FillColor);
  flow->SetName(node.ID);
  flow->SetText(node.Text);
  if (!node.Text.isEmpty()) flow->SetFontHeight(static_cast<float>(MM(fontHeight)));
  return item;
}

struct TBox {
  std::int64_t X = 0, Y = 0, W = 0, H = 0;
  std::int64_t CX() const { return X + W / 2; }
  std::int64_t CY() const { return Y + H / 2; }
};

bool LoadForCore(TPLNBaseLabel* doc, const QString& text, TORVDiagramFormat format) {
  return TPLNFactory::LoadDiagram(doc, text, format);
}

// Diagram text reaching the core is laid out here.
const bool kLoaderRegistered = (SetDiagramLoader(&LoadForCore), true);

}  // namespace

// ---------------------------------------------------------------------------------------------
// Gantt

bool TPLNFactory::LoadGantt(TPLNBaseLabel* doc, const QString& text, bool arrows,
                            std::vector<TORVDiagDiagnostic>* diagnostics) {
  TGanttParser parser;
  // Parsed before anything changes: text that yields no task leaves the document as it was.
  const bool parsed = parser.Parse(text);
  Convert(parser.Diagnostics(), diagnostics);
  if (!parsed || parser.Elements.empty()) {
    const bool errors = std::any_of(parser.Diagnostics().begin(), parser.Diagnostics().end(),
                                    [](const TGanttDiagnostic& d) { return d.Severity == TGanttSeverity::Error; });
    if (diagnostics && !errors)
      diagnostics->push_back({TORVDiagSeverity::Error, 1, QStringLiteral("empty"), QStringLiteral("the chart has no task"), {}});
    return false;
  }

  // Every bar is placed before anything changes, so a chart too large for a page is refused whole.
  const QDate first = parser.GetMinStartDate();
  std::vector<TBox> boxes;
  boxes.reserve(parser.Elements.size());
  std::int64_t y = 4000 + 8000, right = 0;
  for (const auto& e : parser.Elements) {
    const std::int64_t left = first.daysTo(e->StartDate) * 10000 + 4000;
    const std::int64_t width = e->Milestone ? 4000 : std::max(1, e->Duration) * std::int64_t(10000);
    right = std::max(right, left + width);
    boxes.push_back({left, y, width, 5000});
    y += 5000;
  }
  const std::int64_t pageW = std::max<std::int64_t>(120000, right + 4000), pageH = y + 5000;
  if (!FitsPage(pageW, pageH)) {
    if (diagnostics) diagnostics->push_back(TooLarge());
    return false;
  }

  TBatch update(doc);  // one undo step, one notification
  TPLNLayer* layer = doc->GetActiveLayer();
  layer->PenColor = kBlack;
  layer->PenWidth = 100;
  layer->FontName = QStringLiteral("Verdana");
  layer->FontColor = kBlack;
  StartDrawing(doc);

  auto* title = AddCaption(doc, 4000, 4000, parser.Title, 8000, false);
  title->SetFontName(layer->FontName);
  layer->FontHeight = 4.0f;

  struct TBar {
    const TPLNBaseItem* Item = nullptr;
    TBox Box;
  };
  QHash<const TGanttElement*, TBar> bars;
  for (std::size_t i = 0; i < parser.Elements.size(); ++i) {
    const TGanttElement* e = parser.Elements[i].get();
    const TBox& box = boxes[i];
    auto* bar = AddBox(doc, box.X, box.Y, box.W, box.H, e->Name, TORVHorzAlign::Left, TORVVertAlign::Center);
    // The name keeps off the bar's edge; a milestone's 4 mm have no room to spare.
    if (!e->Milestone) bar->SetBasePadX(1000);
    if (e->Color != 0) {
      bar->SetBackColor(e->Color);
      bar->SetFilled(true);
    }
    if (e->Completion > 0) bar->SetText(QStringLiteral("%1 (%2%)").arg(e->Name).arg(e->Completion));
    bars.insert(e, TBar{bar, box});
  }

  if (arrows) {
    // Finish to start: down (or up) from the last quarter of the first bar, then across into
    // the start of the next.
    for (const auto& dep : parser.Dependencies()) {
      const TBar a = bars.value(dep.From), b = bars.value(dep.To);
      if (!a.Item || !b.Item || a.Item == b.Item) continue;
      const bool below = b.Box.Y >= a.Box.Y + a.Box.H;
      const std::int64_t bendX = a.Box.X + a.Box.W * 3 / 4;
      TPLNBaseItem* link = AddBasePolyLink(doc, a.Item->GetID(), b.Item->GetID(), below ? 10 : 4, 15,
                                           TORVinkType::PolyLine, {bendX, b.Box.CY()});
      if (link) SetLinkEnds(link, kTermNone, kTermFillArrow, false);
    }
  }

  SetPage(doc, pageW, pageH);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Diagrams

std::int64_t TPLNFactory::NodeFontHeight(const QString& text, TORVFlowType shape) {
  if (text.isEmpty()) return 4000;
  double w = 0.85, h = 0.75;
  switch (shape) {
    case TORVFlowType::Database: w = 0.8, h = 0.55; break;
    case TORVFlowType::Terminator:
    case TORVFlowType::Ellipse:
    case TORVFlowType::Start: w = 0.7, h = 0.65; break;
    case TORVFlowType::Decision: w = 0.5, h = 0.5; break;
    case TORVFlowType::Data:
    case TORVFlowType::ManualInput:
    case TORVFlowType::ManualOperation:
    case TORVFlowType::Preparation:
    case TORVFlowType::Step:
    case TORVFlowType::End: w = 0.65, h = 0.7; break;
    default: break;
  }
  const std::int64_t boxW = std::llround(w * kNodeW), boxH = std::llround(h * kNodeH);
  static const QRegularExpression space(QStringLiteral("[ \\r\\n]"));
  const QStringList words = text.split(space, Qt::SkipEmptyParts);
  for (std::int64_t f = 4000; f > 1500; f -= 250) {
    const std::int64_t perLine = std::max<std::int64_t>(1, boxW / std::llround(0.52 * f));
    std::int64_t lines = words.isEmpty() ? 0 : 1, used = 0;
    bool fits = true;
    for (const QString& word : words) {
      const std::int64_t len = word.size();
      if (len > perLine) {
        fits = false;
        break;
      }
      if (used == 0) {
        used = len;
      } else if (used + 1 + len <= perLine) {
        used += 1 + len;
      } else {
        ++lines;
        used = len;
      }
    }
    if (fits && lines * std::llround(1.25 * f) <= boxH) return f;
  }
  return 1500;
}

bool TPLNFactory::LoadMermaid(TPLNBaseLabel* doc, const QString& text) {
  return LoadDiagram(doc, text, TORVDiagramFormat::Mermaid);
}

bool TPLNFactory::LoadDiagram(TPLNBaseLabel* doc, const QString& text, TORVDiagramFormat format, bool arrows,
                              std::vector<TORVDiagDiagnostic>* diagnostics, bool strict) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return false;
  if (IsGanttText(trimmed)) return LoadGantt(doc, trimmed, arrows, diagnostics);

  std::unique_ptr<TPLNDiagramModel> model = ORVParseDiagram(trimmed, format, strict);
  const bool sequence = model->Kind == std::uint8_t(TORVDiagramKind::Sequence);
  const bool empty = sequence ? model->Participants.empty() : model->Nodes.empty();
  if (empty) {
    // Say so even when every line was read: a header alone is no diagram.
    if (!model->HasErrors())
      model->Report(TORVDiagSeverity::Error, 1, QStringLiteral("empty"),
                    sequence ? QStringLiteral("the sequence diagram has no participants")
                             : QStringLiteral("the diagram has no nodes"));
    if (diagnostics) diagnostics->insert(diagnostics->end(), model->Diagnostics.begin(), model->Diagnostics.end());
    return false;
  }

  bool drawn = false;
  {
    TBatch update(doc);  // one undo step, one notification
    if (sequence)
      drawn = DrawSequenceDiagram(doc, *model);
    else if (model->Kind == std::uint8_t(TORVDiagramKind::Ishikawa))
      drawn = DrawIshikawaDiagram(doc, *model);
    else
      drawn = DrawFlowDiagram(doc, *model);
  }
  if (!drawn) model->Diagnostics.push_back(TooLarge());
  if (diagnostics) diagnostics->insert(diagnostics->end(), model->Diagnostics.begin(), model->Diagnostics.end());
  return drawn && doc->GetItemsCount() > 0;
}

bool TPLNFactory::DrawFlowDiagram(TPLNBaseLabel* doc, TPLNDiagramModel& model) {
  const int n = static_cast<int>(model.Nodes.size());
  if (n == 0) return false;
  const bool twoSided = model.Kind == std::uint8_t(TORVDiagramKind::TwoSidedTree);
  const bool leftToRight = model.Direction == 1;

  // Levels: breadth first from the nodes nothing points at (the first node in a cycle).
  std::vector<int> incoming(n, 0);
  std::vector<std::vector<int>> out(n);
  for (const auto& e : model.Edges) {
    const int a = model.NodeIndexOf(e.From), b = model.NodeIndexOf(e.To);
    if (a < 0 || b < 0 || a == b) continue;
    ++incoming[b];
    out[a].push_back(b);
  }
  std::vector<int> level(n, -1), queue;
  queue.reserve(n);
  for (int i = 0; i < n; ++i)
    if (incoming[i] == 0) {
      level[i] = 0;
      queue.push_back(i);
    }
  if (queue.empty()) {
    level[0] = 0;
    queue.push_back(0);
  }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const int u = queue[head];
    for (int v : out[u])
      if (level[v] < 0) {
        level[v] = level[u] + 1;
        queue.push_back(v);
      }
  }
  int levels = 1;
  for (int& l : level) {
    if (l < 0) l = 0;
    levels = std::max(levels, l + 1);
  }
  std::vector<int> count(levels, 0), position(n, 0);
  for (int i = 0; i < n; ++i) position[i] = count[level[i]]++;
  const int widest = *std::max_element(count.begin(), count.end());

  const std::int64_t top = model.Title.isEmpty() ? 10000 : 20000;
  std::vector<TBox> boxes(n);
  std::int64_t maxRight = 0, maxBottom = 0;
  for (int i = 0; i < n; ++i) {
    const TORVDiagNode& node = model.Nodes[i];
    const int l = level[i], spare = widest - count[l];
    TBox& b = boxes[i];
    if (leftToRight) {
      std::int64_t column = l;
      if (twoSided) column = node.Side < 0 ? levels - 1 - l : levels - 1 + l;
      b.X = column * kLevelStep + 10000;
      b.Y = top + position[i] * kRowStep + spare * kRowStep / 2;
    } else {
      b.X = position[i] * kLevelStep + 10000 + spare * kLevelStep / 2;
      b.Y = top + l * kRowStep;
    }
    b.W = kNodeW;
    b.H = kNodeH;
    maxRight = std::max(maxRight, b.X + b.W);
    maxBottom = std::max(maxBottom, b.Y + b.H);
  }
  if (!FitsPage(maxRight + 10000, maxBottom + 10000)) return false;

  StartDrawing(doc);
  if (!model.Title.isEmpty()) AddCaption(doc, 10000, 10000, model.Title, 6000, true);
  std::vector<std::int64_t> fonts(n, 4000);
  std::vector<const TPLNBaseItem*> items(n, nullptr);
  for (int i = 0; i < n; ++i) {
    const TORVDiagNode& node = model.Nodes[i];
    const TBox& b = boxes[i];
    fonts[i] = NodeFontHeight(node.Text, node.Shape);
    items[i] = AddNode(doc, node, b.X, b.Y, b.W, b.H, fonts[i]);
    model.SetNodeInId(node.ID, items[i]->GetID());
  }

  const TORVinkType routing = twoSided ? TORVinkType::Curve : TORVinkType::Direct;
  for (const auto& e : model.Edges) {
    const int a = model.NodeIndexOf(e.From), b = model.NodeIndexOf(e.To);
    if (a < 0 || b < 0 || !items[a] || !items[b] || a == b) continue;
    const TBox &s = boxes[a], &t = boxes[b];
    TPLNBaseItem* link = nullptr;
    std::int64_t labelX = (s.CX() + t.CX()) / 2, labelY = (s.CY() + t.CY()) / 2;
    if (level[b] < level[a]) {
      // A back edge goes round the layers instead of through them.
      if (leftToRight) {
        const std::int64_t d = std::max(s.CY(), t.CY()) + 17000;
        link = AddBasePolyLink(doc, items[a]->GetID(), items[b]->GetID(), 11, 11, TORVinkType::PolyLine,
                               {s.CX(), d, t.CX(), d});
        labelY = d;
        maxBottom = std::max(maxBottom, d);
      } else {
        const std::int64_t d = std::min(s.CX(), t.CX()) - 27500;
        link = AddBasePolyLink(doc, items[a]->GetID(), items[b]->GetID(), 15, 15, TORVinkType::PolyLine,
                               {d, s.CY(), d, t.CY()});
        labelX = d;
      }
    } else {
      std::int16_t from = 7, to = 15;
      if (twoSided) {
        if (model.Nodes[b].Side < 0) from = 15, to = 7;
      } else if (leftToRight) {
        if (level[b] <= level[a]) from = 11, to = 3;
      } else if (level[b] > level[a]) {
        from = 11, to = 3;
      }
      link = AddBaseLink(doc, items[a]->GetID(), items[b]->GetID(), from, to, routing);
    }
    if (!link) continue;
    SetLinkEnds(link, FlowTerm(e.FromArrow, false), FlowTerm(e.ToArrow, true), e.Dashed);

    if (!e.Label.isEmpty()) {
      std::int64_t f = std::min(fonts[a], fonts[b]);
      const double dist = std::hypot(double(t.CX() - s.CX()), double(t.CY() - s.CY()));
      if (dist > 0) f = std::min<std::int64_t>(f, std::int64_t(0.6 * dist / (0.52 * e.Label.size())));
      f = std::clamp<std::int64_t>(f, 2500, 4000);
      auto* label = AddCaption(doc, labelX, labelY, e.Label, f, false);
      label->SetHorzAlign(TORVHorzAlign::Center);
      label->SetVertAlign(TORVVertAlign::Center);
    }
  }
  SetPage(doc, maxRight + 10000, maxBottom + 10000);
  return true;
}

bool TPLNFactory::DrawSequenceDiagram(TPLNBaseLabel* doc, TPLNDiagramModel& model) {
  const int p = static_cast<int>(model.Participants.size());
  const int e = static_cast<int>(model.Events.size());
  if (p == 0) return false;

  // Up to five participants share 155 mm; more keep boxes apart and widen the page.
  const std::int64_t step = p > 1 ? std::max<std::int64_t>(155000 / (p - 1), 38750) : 0;
  const std::int64_t width = std::max<std::int64_t>(190000, (p - 1) * step + 35000);
  const std::int64_t bottom = std::int64_t(e) * 15000 + 42500;
  if (!FitsPage(width + 20000, bottom + 10000)) return false;

  StartDrawing(doc);
  TPLNLayer* layer = doc->GetActiveLayer();
  layer->FontName = QStringLiteral("Arial");
  layer->FontHeight = 3.5f;
  layer->FontColor = kBlack;
  layer->PenWidth = 200;
  QHash<QString, std::int64_t> xs;
  for (int i = 0; i < p; ++i) xs.insert(model.Participants[i].Name, i * step + 27500);

  if (!model.Title.isEmpty()) AddCaption(doc, 10000, 4000, model.Title, 5000, true);

  layer->PenColor = kGrey;
  for (int i = 0; i < p; ++i) {
    const std::int64_t x = i * step + 27500;
    TPLNBaseItem* line = AddBaseLine(doc, x, 20000, x, bottom - 12000);
    line->SetLineType(1);
  }

  layer->PenColor = kBlack;
  layer->BackColor = kLavender;
  auto box = [&](std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, const QString& text, bool bold,
                 float font) {
    auto* r = static_cast<TPLN2DItem*>(AddBaseRectangle(doc, x, y, w, h));
    r->SetFilled(true);
    r->SetBackColor(layer->BackColor);
    auto* t = AddBox(doc, x, y, w, h, text, TORVHorzAlign::Center, TORVVertAlign::Center);
    t->SetPenWidth(0);
    t->SetFontHeight(font);
    t->SetBold(bold);
  };
  for (int i = 0; i < p; ++i) {
    const auto& part = model.Participants[i];
    const QString name = part.Label.isEmpty() ? part.Name : part.Label;
    const std::int64_t x = i * step + 27500;
    box(x - 17500, 8000, 35000, 12000, name, true, 4.0f);
    box(x - 17500, bottom - 12000, 35000, 12000, name, true, 4.0f);
  }

  std::int64_t y = 27500;
  for (const auto& ev : model.Events) {
    if (ev.Kind == 0 && xs.contains(ev.From) && xs.contains(ev.To) && ev.From != ev.To) {
      const std::int64_t x1 = xs.value(ev.From), x2 = xs.value(ev.To);
      AddBox(doc, std::min(x1, x2), y - 5000, std::llabs(x2 - x1), 5000, ev.Text, TORVHorzAlign::Center,
             TORVVertAlign::Bottom)
          ->SetPenWidth(0);
      auto* arrow = static_cast<TPLNArrowLine*>(AddBaseArrowLine(doc, x1, y, x2, y));
      arrow->FromType = kTermNone;
      arrow->ToType = SeqTerm(ev.Arrow);
      if (ev.Dashed) arrow->SetLineType(1);
    } else if (ev.Kind == 1 && xs.contains(ev.From)) {
      const std::int64_t px = xs.value(ev.From);
      std::int64_t x = px + 19500;
      if (ev.Placement == QLatin1String("left of")) {
        x = px - 59500;
      } else if (ev.Placement == QLatin1String("over")) {
        x = xs.contains(ev.To) ? (px + xs.value(ev.To)) / 2 - 20000 : px - 20000;
      }
      layer->BackColor = kLightYellow;
      layer->PenColor = kGoldenrod;
      box(x, y - 5000, 40000, 15000, ev.Text, false, 3.5f);
      layer->BackColor = kLavender;
      layer->PenColor = kBlack;
    }
    y += 15000;
  }
  SetPage(doc, width + 20000, bottom + 10000);
  return true;
}

bool TPLNFactory::DrawIshikawaDiagram(TPLNBaseLabel* doc, TPLNDiagramModel& model) {
  const int n = static_cast<int>(model.Nodes.size());
  if (n == 0) return false;
  // Parent = the effect of the last edge naming the node as its cause.
  std::vector<int> parent(n, -1);
  for (const auto& e : model.Edges) {
    const int effect = model.NodeIndexOf(e.From), cause = model.NodeIndexOf(e.To);
    if (effect >= 0 && cause >= 0 && effect != cause) parent[cause] = effect;
  }
  int head = 0;
  for (int i = 0; i < n; ++i)
    if (parent[i] < 0) {
      head = i;
      break;
    }
  std::vector<int> depth(n, 0), bone(n, 0), order(n, 0);
  int bones = 0, maxDepth = 0;
  for (int i = 0; i < n; ++i) {
    if (i == head) continue;
    const int p = parent[i];
    if (p < 0 || p > i || p == head) {
      depth[i] = 1;
      bone[i] = bones++;
    } else {
      depth[i] = depth[p] + 1;
      bone[i] = bone[p];
    }
    maxDepth = std::max(maxDepth, depth[i]);
  }
  QHash<qint64, int> seen;  // (bone, depth) -> nodes so far
  auto key = [](int b, int d) { return (qint64(b) << 32) | quint32(d); };
  int rows = 1;
  for (int i = 0; i < n; ++i) {
    if (i == head) continue;
    order[i] = seen[key(bone[i], depth[i])]++;
    rows = std::max(rows, order[i] + 1);
  }
  bones = std::max(bones, 1);
  auto countOf = [&](int b, int d) { return seen.value(key(b, d)); };

  const std::int64_t s = std::int64_t(rows + 2) * 50000;
  const std::int64_t top = model.Title.isEmpty() ? 10000 : 20000;
  const std::int64_t spineY = top + std::int64_t(maxDepth + rows + 1) * 26000;
  std::int64_t headX = std::int64_t((bones + 1) / 2) * s + 10000;

  auto spread = [](int k, int count) -> std::int64_t {
    if (count < 2) return 0;
    if (count % 2 == 0) {
      const std::int64_t m = k / 2;
      return k % 2 == 0 ? -(m * 50000 + 25000) : m * 50000 + 25000;
    }
    if (k == 0) return 0;
    const std::int64_t m = (k + 1) / 2;
    return k % 2 == 0 ? m * 50000 : -m * 50000;
  };
  std::vector<std::int64_t> xs(n, 0), ys(n, 0), boneX(n, 0);
  std::int64_t minX = headX;
  for (int i = 0; i < n; ++i) {
    if (i == head) continue;
    boneX[i] = s / 2 + 10000 + std::int64_t(bone[i] / 2) * s;
    xs[i] = boneX[i] - 69000 + spread(order[i], countOf(bone[i], depth[i]));
    const std::int64_t off = std::int64_t(depth[i] + 1) * 26000;
    ys[i] = model.Nodes[i].Side < 0 ? spineY - 8000 - off : spineY - 8000 + off;
    minX = std::min(minX, xs[i]);
  }
  if (minX < 10000) {
    const std::int64_t shift = 10000 - minX;
    for (int i = 0; i < n; ++i) {
      xs[i] += shift;
      boneX[i] += shift;
    }
    headX += shift;
  }
  xs[head] = headX;
  ys[head] = spineY - 8000;

  std::int64_t maxRight = headX + 38000, maxBottom = spineY + 16000;
  for (int i = 0; i < n; ++i) {
    maxRight = std::max(maxRight, xs[i] + 38000);
    maxBottom = std::max(maxBottom, ys[i] + 16000);
  }
  if (!FitsPage(maxRight + 10000, maxBottom + 10000)) return false;

  StartDrawing(doc);
  if (!model.Title.isEmpty()) AddCaption(doc, 10000, 10000, model.Title, 6000, true);
  TPLNBaseItem* spine = AddBaseArrowLine(doc, 10000, spineY, headX, spineY);
  static_cast<TPLNArrowLine*>(spine)->ToType = kTermFillArrow;
  std::vector<const TPLNBaseItem*> items(n, nullptr);
  for (int i = 0; i < n; ++i) {
    items[i] = AddNode(doc, model.Nodes[i], xs[i], ys[i], 38000, 16000, 3000);
    model.SetNodeInId(model.Nodes[i].ID, items[i]->GetID());
  }
  for (const auto& e : model.Edges) {
    const int effect = model.NodeIndexOf(e.From), cause = model.NodeIndexOf(e.To);
    if (effect < 0 || cause < 0 || effect == cause) continue;
    const bool above = ys[cause] < spineY;
    TPLNBaseItem* link = nullptr;
    if (effect == head) {
      link = AddBasePolyLink(doc, items[cause]->GetID(), items[effect]->GetID(), above ? 11 : 3, 15,
                             TORVinkType::PolyLine, {boneX[cause], spineY});
    } else {
      const std::int64_t upperBottom = std::min(ys[cause], ys[effect]) + 16000;
      const std::int64_t lower = std::max(ys[cause], ys[effect]);
      const double frac = double(order[effect] + 1) / double(countOf(bone[effect], depth[effect]) + 1);
      const std::int64_t v = upperBottom + std::llround((lower - upperBottom) * frac);
      link = AddBasePolyLink(doc, items[cause]->GetID(), items[effect]->GetID(), above ? 11 : 3, above ? 3 : 11,
                             TORVinkType::PolyLine, {xs[cause] + 19000, v, xs[effect] + 19000, v});
    }
    if (link) SetLinkEnds(link, kTermNone, kTermNone, e.Dashed);
  }
  SetPage(doc, maxRight + 10000, maxBottom + 10000);
  return true;
}

}  // namespace Orv::Fmx
