#include "ImportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "ORV.FMX.h"
#include "StudioTexts.h"

namespace Planora::Studio {

using namespace Orv::Diagram;
using Orv::Fmx::TPlanoraFMX;
using Orv::Fmx::TPLNFactory;

TImportDialog::TImportDialog(const QString& name, const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(Txt("TitleImportFile").arg(name));
  resize(760, 640);
  auto* layout = new QVBoxLayout(this);

  auto* options = new QHBoxLayout;
  fFormat = new QComboBox;
  fFormat->addItems({Txt("ImportAutomatic"), Txt("ImportMermaid"), Txt("ImportPlantUml")});
  auto* language = new QLabel(Txt("ImportLanguage"));
  language->setBuddy(fFormat);
  options->addWidget(language);
  options->addWidget(fFormat);
  fArrows = new QCheckBox(Txt("ImportArrows"));
  fArrows->setChecked(true);
  options->addWidget(fArrows);
  options->addStretch();
  layout->addLayout(options);

  auto* split = new QSplitter(Qt::Vertical);
  fText = new QPlainTextEdit;
  fText->setObjectName(QStringLiteral("importText"));
  fText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  fText->setLineWrapMode(QPlainTextEdit::NoWrap);
  fText->setPlainText(text);
  split->addWidget(fText);
  fList = new QListWidget;
  fList->setObjectName(QStringLiteral("importDiagnostics"));
  split->addWidget(fList);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  layout->addWidget(split, 1);

  fSummary = new QLabel;
  layout->addWidget(fSummary);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  fImport = buttons->addButton(Txt("ImportButton"), QDialogButtonBox::AcceptRole);
  fImport->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // Laid out again a moment after typing stops, so typing stays smooth on long texts.
  fDelay = new QTimer(this);
  fDelay->setSingleShot(true);
  fDelay->setInterval(300);
  connect(fDelay, &QTimer::timeout, this, &TImportDialog::Refresh);
  connect(fText, &QPlainTextEdit::textChanged, fDelay, qOverload<>(&QTimer::start));
  connect(fFormat, &QComboBox::currentIndexChanged, this, &TImportDialog::Refresh);
  connect(fArrows, &QCheckBox::toggled, this, &TImportDialog::Refresh);
  auto jump = [this](QListWidgetItem* item) { ShowLine(item->data(Qt::UserRole).toInt()); };
  connect(fList, &QListWidget::itemClicked, this, jump);
  connect(fList, &QListWidget::itemActivated, this, jump);
  Refresh();
}

TImportDialog::~TImportDialog() = default;

std::unique_ptr<TPlanoraFMX> TImportDialog::TakeDrawing() { return std::move(fDrawing); }

void TImportDialog::Refresh() {
  fDelay->stop();
  static const TORVDiagramFormat kFormats[] = {TORVDiagramFormat::Auto, TORVDiagramFormat::Mermaid,
                                               TORVDiagramFormat::PlantUML};
  auto drawing = std::make_unique<TPlanoraFMX>();
  fDiagnostics.clear();
  bool loaded = false;
  try {
    loaded = TPLNFactory::LoadDiagram(drawing.get(), fText->toPlainText(), kFormats[std::max(0, fFormat->currentIndex())],
                                      fArrows->isChecked(), &fDiagnostics);
  } catch (const std::exception& e) {
    TORVDiagDiagnostic d;
    d.Severity = TORVDiagSeverity::Error;
    d.Message = QString::fromUtf8(e.what());
    fDiagnostics.push_back(d);
  }
  fDrawing = loaded ? std::move(drawing) : nullptr;

  fList->clear();
  int errors = 0, warnings = 0;
  for (const auto& d : fDiagnostics) {
    const QString severity = SeverityName(d.Severity);
    auto* item = new QListWidgetItem(d.Line > 0 ? Txt("ImportLineMessage").arg(d.Line).arg(severity, d.Message)
                                                : Txt("ImportMessage").arg(severity, d.Message));
    item->setData(Qt::UserRole, d.Line);
    item->setIcon(style()->standardIcon(d.Severity == TORVDiagSeverity::Error     ? QStyle::SP_MessageBoxCritical
                                        : d.Severity == TORVDiagSeverity::Warning ? QStyle::SP_MessageBoxWarning
                                                                                  : QStyle::SP_MessageBoxInformation));
    fList->addItem(item);
    errors += d.Severity == TORVDiagSeverity::Error;
    warnings += d.Severity == TORVDiagSeverity::Warning;
  }
  if (fDrawing)
    fSummary->setText(Txt("ImportItems").arg(fDrawing->GetItemsCount()) +
                      (errors + warnings > 0 ? Txt("ImportProblems").arg(errors).arg(warnings) : QString()));
  else
    fSummary->setText(Txt("ImportNothing").arg(errors).arg(warnings));
  fImport->setEnabled(fDrawing != nullptr);
}

void TImportDialog::ShowLine(int line) {
  if (line < 1) return;
  const QTextBlock block = fText->document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  QTextCursor c(block);
  c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  fText->setTextCursor(c);
  fText->centerCursor();
  fText->setFocus();
}

}  // namespace Planora::Studio
