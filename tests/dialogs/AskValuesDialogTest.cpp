// The window that asks a design's values before a print run.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "AskLabels.h"
#include "DialogTestServices.h"
#include "ORV.FMX.AskValues.h"
#include "ORV.FMX.Labelling.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

TEST(AskValuesDialog, OffersEveryValueRefusesOnesThatDoNotFitAndRemembersThem) {
  TPlanoraFMX doc;
  doc.LoadFromJson(Ask::SheetJson(R"({"Name": "Copies", "Kind": "copies", "Default": "12"})"));
  auto services = std::make_shared<TScriptedServices>();
  {
    TfAskValues win(nullptr, services);
    win.Ini(&doc);
    ASSERT_EQ(win.Rows(), 4);
    // Defaults first; the list offers the design's values.
    EXPECT_EQ(win.Value("Best"), "01/01/2027");
    EXPECT_EQ(win.Value("Copies"), "12");
    auto* lot = Child<QComboBox>(win, "ask_Lot");
    ASSERT_NE(lot, nullptr);
    EXPECT_EQ(lot->count(), 2);
    auto* batch = Child<QLineEdit>(win, "ask_Batch");
    ASSERT_NE(batch, nullptr);

    // An empty text and a day that does not exist are refused, the window stays, nothing is given.
    EXPECT_FALSE(win.WriteBack());
    EXPECT_TRUE(services->errors.value(0).contains("Batch")) << services->errors.value(0).toStdString();
    batch->setText("B-9");
    auto* best = Child<QLineEdit>(win, "ask_Best");
    ASSERT_NE(best, nullptr);
    best->setText("31/02/2026");
    EXPECT_EQ(win.Value("Best"), "31/02/2026");
    EXPECT_FALSE(win.WriteBack());
    EXPECT_TRUE(services->errors.last().contains("31/02/2026")) << services->errors.last().toStdString();
    EXPECT_FALSE(doc.HasAskedValue("Batch"));

    best->setText("28/02/2026");
    lot->setCurrentIndex(1);
    Child<QSpinBox>(win, "ask_Copies")->setValue(3);
    ASSERT_TRUE(win.WriteBack());
    EXPECT_EQ(doc.GetAskedValue("Best"), "28/02/2026");
    EXPECT_EQ(doc.GetAskedValue("Lot"), "South");
    EXPECT_EQ(doc.AskedCopies(), 3);
    EXPECT_NO_THROW(doc.CheckAskedValues());
  }
  // The next window of the session offers what was given last, for another document too.
  TPlanoraFMX other;
  other.LoadFromJson(Ask::SheetJson());
  TfAskValues again(nullptr, services);
  again.Ini(&other);
  EXPECT_EQ(again.Value("Batch"), "B-9");
  EXPECT_EQ(again.Value("Lot"), "South");
}

TEST(AskValuesDialog, LabelSheetWindowEditsAsksAndContinuingCounters) {
  TPlanoraFMX doc;
  doc.LoadFromJson(Ask::SheetJson());
  doc.ClearUndo();
  const QByteArray before = doc.GetJsonText();
  auto services = std::make_shared<TScriptedServices>();
  TfLabelling win(nullptr, services);
  win.Ini(&doc);
  auto* asks = Child<QListWidget>(win, "lbAsks");
  ASSERT_NE(asks, nullptr);
  EXPECT_EQ(asks->count(), 3);

  // A new value: a list whose values are typed one a line.
  services->names.push_back("Shift");
  win.AddAsk();
  ASSERT_EQ(win.Asks().size(), 4u);
  Child<QComboBox>(win, "cbAskKind")->setCurrentIndex(static_cast<int>(TORVAskKind::List));
  EXPECT_TRUE(Child<QPlainTextEdit>(win, "meAskList")->isEnabled());
  Child<QPlainTextEdit>(win, "meAskList")->setPlainText("Day\n\n Night \n");
  Child<QLineEdit>(win, "edCountersFile")->setText("serials.json");
  // A second value of the same name is refused.
  services->names.push_back("shift");
  win.AddAsk();
  EXPECT_EQ(win.Asks().size(), 4u);
  EXPECT_FALSE(services->errors.isEmpty());
  // Deleting the batch number.
  win.SelectAsk(0);
  win.DeleteAsk();
  EXPECT_EQ(doc.GetJsonText(), before) << "nothing reaches the drawing before OK";

  ASSERT_EQ(win.Check(), QString());
  win.WriteBack();
  const TPLNData& d = doc.DataSettings();
  ASSERT_EQ(d.Asks.size(), 3u);
  EXPECT_EQ(d.FindAsk("Batch"), nullptr);
  ASSERT_NE(d.FindAsk("Shift"), nullptr);
  EXPECT_EQ(d.FindAsk("Shift")->Kind, TORVAskKind::List);
  EXPECT_EQ(d.FindAsk("Shift")->List, QStringList({"Day", "Night"}));
  EXPECT_EQ(d.CountersFile, "serials.json");
  EXPECT_EQ(doc.UndoCount(), 1);
  doc.Undo();
  EXPECT_EQ(doc.GetJsonText(), before);

  // The counter continues from the number given, saved with the counter.
  TfLabelling again(nullptr, services);
  again.Ini(&doc);
  again.SelectCounter(0);
  Child<QCheckBox>(again, "ckContinue")->setChecked(true);
  Child<QDoubleSpinBox>(again, "seNext")->setValue(250);
  again.SaveCounter();
  EXPECT_TRUE(doc.GetCounter(1)->Continue);
  EXPECT_EQ(doc.GetCounter(1)->GetNext(), 250);
  EXPECT_EQ(doc.DataValueAt(0, "Serial", {}, 1, {}), "S0250");
}
