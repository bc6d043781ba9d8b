// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Panels, group boxes, bevels, labels, static texts and the paint box.

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

#include "platform/ControlEvents.h"
#include "platform/Format.h"

enum class BevelCut { None, Lowered, Raised };

// A panel: an optional outer and inner bevel of one pixel each, in its colour.
class Panel : public QFrame {
  Q_OBJECT
public:
  Panel(QWidget* parent, BevelCut outer, BevelCut inner);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  BevelCut outer_, inner_;
};

class GroupBox : public QGroupBox {
  Q_OBJECT
public:
  explicit GroupBox(QWidget* parent) : QGroupBox(parent) {}
  QString Caption() const { return title(); }
  void SetCaption(const QString& caption) { setTitle(caption); }

protected:
  // Under the frame and caption: the colour SetColor gave the box, if any.
  void paintEvent(QPaintEvent* event) override;
};

// A sunken frame drawn behind the controls it groups.
class Bevel : public QFrame {
  Q_OBJECT
public:
  explicit Bevel(QWidget* parent);
};

// A label whose caption may follow every block: a changed caption allocates
// nothing of ours. A readout that fills its own background is opaque to Qt, so
// a new caption repaints the label alone.
class CaptionLabel : public QLabel {
  Q_OBJECT
public:
  explicit CaptionLabel(QWidget* parent) : QLabel(parent) {}
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  void SetCaption(const CaptionText& caption) { ::SetCaption(this, caption, captions_); }

private:
  CaptionBuffers captions_;
};

class Label : public CaptionLabel {
  Q_OBJECT
public:
  explicit Label(QWidget* parent) : CaptionLabel(parent) {}
};

// A static text: centred, with a sunken border.
class StaticText : public CaptionLabel {
  Q_OBJECT
public:
  explicit StaticText(QWidget* parent);
};

class PaintBox : public QWidget {
  Q_OBJECT
public:
  explicit PaintBox(QWidget* parent) : QWidget(parent) {}
  NotifyEvent OnPaint;

protected:
  void paintEvent(QPaintEvent*) override {
    if (OnPaint) OnPaint(this);
  }
};
