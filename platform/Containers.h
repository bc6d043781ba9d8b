#pragma once
// Panels, group boxes, bevels, labels, static texts and the paint box.

#include <memory>

#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>

#include "platform/ControlEvents.h"
#include "platform/Format.h"
#include "platform/TextLooks.h"
#include "platform/X11Display.h"

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
// nothing of ours, and a text it showed shortly before paints as a copy of
// the pixels it had then.
class CaptionLabel : public QLabel {
  Q_OBJECT
public:
  explicit CaptionLabel(QWidget* parent) : QLabel(parent) {}
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption);
  void SetCaption(const CaptionText& caption);
  // How many paints copied the pixels of an earlier caption.
  int CopiedPaints() const { return looks_ ? looks_->Copies() : 0; }

  // Shows the label in a window of its own over it, on the X server of
  // `window` (the top-level window it lies in), and a changed caption there
  // at once, outside Qt's repaint of the window, which no longer paints it.
  // Where there can be no such window, and with nullptr, Qt paints it as
  // before. Made for the label's present place and scale: a move, resize or
  // hide hands it back to Qt.
  void ShowInOwnWindow(QWidget* window);
  bool InOwnWindow() const { return own_ != nullptr; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  // Brings the own window's picture up to date with the caption: a caption
  // shown before is copied from its look, anything else is painted afresh.
  void ShowCaption();
  void PaintOwnPixels();

  CaptionBuffers captions_;
  // Kept once the caption follows the blocks; other labels paint as QLabel.
  std::unique_ptr<TextLooks> looks_;
  std::unique_ptr<X11Display> own_;
  QImage ownPixels_;
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
