#include "ORV.FMX.SelSymbol.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ORV.Msg.h"
#include "ORV.Base.h"
#include "ORV.FMX.ViewLibrary.h"
#include "ORV.Symbol.h"

namespace Orv::Fmx {

namespace {
constexpr int kLibRole = Qt::UserRole;     // index of the library file; -1: the drawing's symbols
constexpr int kIdRole = Qt::UserRole + 1;  // identifier, unique in the tree
}  // namespace

TfSelSymbol::TfSelSymbol(QWidget* parent) : QDialog(parent) {
  resize(794, 511);
  auto* root = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  fTree = new QTreeWidget(this);
  fTree->setObjectName(QStringLiteral("tvCategory"));
  fTree->setHeaderHidden(true);
  fName = new QLabel(this);
  fName->setObjectName(QStringLiteral("labName"));
  fUnits = new QLabel(this);
  fUnits->setObjectName(QStringLiteral("labUnits"));
  fNote = new QLabel(this);
  fNote->setObjectName(QStringLiteral("labNote"));
  fNote->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  left->addWidget(fTree, 1);
  left->addWidget(fName);
  left->addWidget(fUnits);
  left->addWidget(fNote);
  left->addWidget(buttons);
  fView = new TPLNViewLibrary(this);
  fView->setObjectName(QStringLiteral("viewLibrary"));
  root->addLayout(left, 0);
  root->addWidget(fView, 1);
  fTree->setMinimumWidth(220);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(fTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { CategoryChanged(item); });
  connect(fView, &TPLNBaseViewLib::ChangePos, this, &TfSelSymbol::HoverChanged);
  FillLanguage();
}

void TfSelSymbol::FillLanguage() { setWindowTitle(TPLNMsg::GetDialogsValue(QStringLiteral("SymbolLib"))); }

void TfSelSymbol::Ini(TPLNBaseLabel* doc, const QString& folder) {
  fDoc = doc;
  fTreeId = QStringLiteral("-2");
  fView->SetLabel(doc);
  fLibraries.clear();
  const QFileInfoList files =
      QDir(folder).entryInfoList({QStringLiteral("*.lyp")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& f : files) {
    const QString file = f.absoluteFilePath();
    bool accept = true;
    if (doc && doc->OnReadSymEvent) doc->OnReadSymEvent(file, accept);
    if (!accept) continue;
    fLibraries.emplace_back(file, fView->GetCatList(file));
  }
  std::stable_sort(fLibraries.begin(), fLibraries.end(), [](const auto& a, const auto& b) {
    return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
  });

  fBuilding = true;
  fTree->setUpdatesEnabled(false);
  fTree->clear();
  if (doc && doc->GetSymbolsCount() > 0) {
    auto* own = new QTreeWidgetItem(fTree, {TPLNMsg::GetDialogsValue(QStringLiteral("CurDrawing"))});
    own->setData(0, kLibRole, -1);
    own->setData(0, kIdRole, QStringLiteral("-1"));
  }
  int id = 1;
  for (int i = 0; i < static_cast<int>(fLibraries.size()); ++i) {
    const QStringList categories = fLibraries[std::size_t(i)].second.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& category : categories) {
      const QStringList parts = category.split(QLatin1Char('/'), Qt::SkipEmptyParts);
      if (parts.isEmpty()) continue;
      // The first part is shared by the categories of one library; each further part is new.
      QTreeWidgetItem* at = nullptr;
      for (int t = 0; t < fTree->topLevelItemCount() && !at; ++t) {
        QTreeWidgetItem* top = fTree->topLevelItem(t);
        if (top->data(0, kLibRole).toInt() == i && top->text(0).compare(parts[0], Qt::CaseInsensitive) == 0) at = top;
      }
      const auto make = [&](QTreeWidgetItem* parent, const QString& text) {
        auto* item = parent ? new QTreeWidgetItem(parent, {text}) : new QTreeWidgetItem(fTree, {text});
        item->setData(0, kLibRole, i);
        item->setData(0, kIdRole, QString::number(id++));
        return item;
      };
      if (!at) at = make(nullptr, parts[0]);
      for (int p = 1; p < parts.size(); ++p) {
        QTreeWidgetItem* child = nullptr;
        for (int c = 0; c < at->childCount() && !child; ++c)
          if (at->child(c)->text(0).compare(parts[p], Qt::CaseInsensitive) == 0) child = at->child(c);
        at = child ? child : make(at, parts[p]);
      }
    }
  }
  fTree->setUpdatesEnabled(true);
  fBuilding = false;
}

QString TfSelSymbol::ItemFile(const QTreeWidgetItem* item) const {
  const int lib = item ? item->data(0, kLibRole).toInt() : -1;
  return lib >= 0 && lib < static_cast<int>(fLibraries.size()) ? fLibraries[std::size_t(lib)].first : QString();
}

QString TfSelSymbol::ItemCategory(const QTreeWidgetItem* item) {
  QString path;
  for (const QTreeWidgetItem* at = item; at; at = at->parent())
    path = path.isEmpty() ? at->text(0) : at->text(0) + QLatin1Char('/') + path;
  return path;
}

void TfSelSymbol::CategoryChanged(QTreeWidgetItem* item) {
  if (fBuilding || !item) return;
  const QString id = item->data(0, kIdRole).toString();
  if (id == fTreeId) return;
  fTreeId = id;
  if (item->data(0, kLibRole).toInt() == -1)
    fView->LoadSymbols(TPLNBaseViewLib::kCurDrawing, QStringLiteral("*"));
  else
    fView->LoadSymbols(ItemFile(item), ItemCategory(item));
}

void TfSelSymbol::HoverChanged(const QString& name, const QString& guid, const QString& units) {
  if (name.isEmpty()) {
    fName->clear();
    fUnits->clear();
    fNote->clear();
    return;
  }
  fName->setText(name);
  fUnits->setText(units);
  fNote->setText(guid);
}

bool TfSelSymbol::Accept() {
  const Symbol::TPLNLibSymbol* chosen = fView->GetSelection();
  if (!fDoc || !chosen) return false;
  // The drawing keeps a copy: the view's library goes with the window.
  auto copy = std::make_unique<Symbol::TPLNLibSymbol>(*chosen);
  fDoc->AddSymbol(std::move(copy), true);
  return true;
}

bool TfSelSymbol::Execute() {
  if (exec() == QDialog::Accepted && Accept()) return true;
  if (fDoc) fDoc->ResetAction();
  return false;
}

}  // namespace Orv::Fmx
