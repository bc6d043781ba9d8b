// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Captions built on the stack, for the texts that follow every block: one is
// compared with a label's text and becomes a QString only when the label
// changes, so a steady readout allocates nothing. GUI thread (numbers take the
// default locale's decimal separator).

#include <array>

#include <QLabel>
#include <QString>
#include <QStringView>

class CaptionText {
public:
  // Up to Capacity characters; more are cut off.
  static constexpr qsizetype Capacity = 47;

  // Latin-1 text as it stands.
  CaptionText& Append(const char* latin1);
  CaptionText& Append(char latin1);
  CaptionText& AppendInt(long long value);
  // A number as printf's "%<width>.<precision>f" writes it in the C locale,
  // with the user's decimal separator (-90.309 at 2.2 is "-90.31", or
  // "-90,31" under a locale with a comma).
  CaptionText& AppendFixed(double value, int width, int precision);

  QStringView View() const { return {chars_.data(), size_}; }
  QString ToString() const { return View().toString(); }

private:
  void Put(char16_t c);

  std::array<char16_t, Capacity> chars_{};
  qsizetype size_ = 0;
};

// The two strings a label's changing caption alternates between: the one the
// label shows, and a spare with room for any caption into which the next one
// is written. A new caption then allocates nothing.
struct CaptionBuffers {
  CaptionBuffers() {
    shown.reserve(CaptionText::Capacity);
    spare.reserve(CaptionText::Capacity);
  }
  QString shown, spare;
};

// Sets the label's text when it differs from text: an unchanged caption costs
// neither an allocation nor a repaint, a changed one no allocation of ours.
// Whether it changed.
bool SetCaption(QLabel* label, const CaptionText& text, CaptionBuffers& buffers);
