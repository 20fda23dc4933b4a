#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "tools/progtools.h"
#include "ui/controls/qtoperatorport.h"
#include "ui/controls/radiogroup.h"

namespace dtool {
namespace {

TEST(UnitRadioGroup, FillsInUnitOrderAndSelectsByText) {
  TRadioGroup group("Unit");
  int clicks = 0;
  QObject::connect(&group, &TRadioGroup::Click, [&](TRadioGroup* sender) {
    EXPECT_EQ(sender, &group);
    ++clicks;
  });
  FillUnitRadioGroup(group, AtmUnitSet);
  EXPECT_EQ(group.Items(), (QStringList{"hPa", "mbar", "mmHg", "inchHg"}));
  EXPECT_EQ(group.ItemIndex(), -1);

  EXPECT_TRUE(SelectRadioItem(group, "mmHg"));
  EXPECT_EQ(group.ItemIndex(), 2);
  EXPECT_EQ(group.ItemText(), "mmHg");
  EXPECT_EQ(clicks, 1);

  EXPECT_FALSE(SelectRadioItem(group, "Pa"));
  EXPECT_EQ(group.ItemIndex(), -1);

  FillUnitRadioGroup(group, HoseUnitSet);
  EXPECT_EQ(group.Items(), (QStringList{"m", "inch"}));
  EXPECT_EQ(group.findChildren<QRadioButton*>().size(), 2);
}

// Presses a button of the message box that opens next, after reading it.
struct BoxSeen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

void AnswerNextBox(BoxSeen& seen, QMessageBox::StandardButton press) {
  QTimer::singleShot(0, [&seen, press] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.defaultButton = box->standardButton(box->defaultButton());
    box->button(press)->click();
  });
}

TEST(QtOperatorPort, BoxesCarryTheTitleIconsAndLineBreaks) {
  SetAppTitle("DravonTool - Win");
  QtOperatorPort port;
  BoxSeen seen;

  AnswerNextBox(seen, QMessageBox::Ok);
  EXPECT_EQ(
      port.ErrorBox("Communication with instrument not possible!\r\rDDatDLL Error Nr. 3", false),
      IdOk);
  EXPECT_EQ(seen.title, "DravonTool - Win");
  EXPECT_EQ(seen.text, "Communication with instrument not possible!\n\nDDatDLL Error Nr. 3");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);

  AnswerNextBox(seen, QMessageBox::No);
  EXPECT_EQ(port.ErrorBox("Overwrite?", true), IdNo);
  EXPECT_EQ(seen.icon, QMessageBox::Warning);

  AnswerNextBox(seen, QMessageBox::Yes);
  EXPECT_TRUE(port.QuestionBox("Read first?", false));
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.defaultButton, QMessageBox::No);

  AnswerNextBox(seen, QMessageBox::No);
  EXPECT_FALSE(port.QuestionBox("Read first?", true));
  EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);

  AnswerNextBox(seen, QMessageBox::Ok);
  port.InfoBox("Done", false);
  EXPECT_EQ(seen.icon, QMessageBox::Information);

  AnswerNextBox(seen, QMessageBox::Ok);
  port.WarningBox("Careful");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

TEST(QtOperatorPort, HourglassIsRestored) {
  QtOperatorPort port;
  EXPECT_EQ(port.SetScreenCursor(TCursor::HourGlass), TCursor::Default);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EXPECT_EQ(port.SetScreenCursor(TCursor::Default), TCursor::HourGlass);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace dtool
