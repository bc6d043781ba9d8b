#include "app/Components.h"

namespace {
using K = ComponentKind;
using M = MouseWiring;
} // namespace

// Every layout number of the window, in pixels at 96 dpi, relative to the
// component's container.
const std::array<ComponentSpec, ComponentCount> Components = {{
    {0, "LedPanel", K::Panel, -1, 325, 652, 270, 35, ""},
    {1, "LabelR", K::Label, 0, 4, 18, 9, 13, "R"},
    {2, "LabelL", K::Label, 0, 4, 5, 9, 13, "L"},
    {3, "PeakLedDisplay1", K::PeakLedDisplay, 0, 14, 5, 250, 12, "", 0, 0, 0, 0, M::None},
    {4, "PeakLedDisplay2", K::PeakLedDisplay, 0, 14, 18, 250, 12, "", 0, 0, 0, 0, M::None},
    {5, "SpectrumGroup", K::GroupBox, -1, 325, 516, 270, 132, "Spectrum Analyser "},
    {6, "ColorBox", K::CheckBox, 5, 8, 16, 60, 16, "&Color"},
    {7, "RB22K", K::RadioButton, 5, 8, 32, 80, 16, "0..24 kHz"},
    {8, "RB11K", K::RadioButton, 5, 8, 48, 80, 16, "0..12 kHz"},
    {9, "RB6K", K::RadioButton, 5, 8, 64, 80, 16, "0..6 kHz"},
    {10, "SensGroup", K::GroupBox, 5, 100, 10, 96, 78, "Sensitivity  "},
    {11, "LSensVal", K::Label, 10, 56, 48, 36, 13, "100%", 0, 0, 0, 0, M::None},
    {12, "fLog", K::RadioButton, 10, 6, 14, 46, 15, "Log", 0, 0, 0, 0, M::None},
    {13, "fSqrt", K::RadioButton, 10, 6, 29, 46, 15, "Sqrt", 0, 0, 0, 0, M::None},
    {14, "fLinear", K::RadioButton, 10, 6, 44, 50, 15, "Linear", 0, 0, 0, 0, M::None},
    {15, "AutoSensitivity", K::CheckBox, 10, 6, 59, 48, 15, "Auto", 0, 0, 0, 0, M::None},
    {16, "Sensitivity", K::UpDown, 10, 74, 14, 16, 30, "", 1, 100, 10, 0, M::None},
    {17, "Filter", K::CheckBox, 5, 200, 16, 66, 16, "Filter"},
    {18, "Grid", K::CheckBox, 5, 200, 32, 66, 16, "Grid"},
    {19, "FFTMode", K::CheckBox, 5, 200, 48, 66, 16, "FFT Mode"},
    {20, "AutoFrqCount", K::CheckBox, 5, 110, 110, 150, 16, "Auto Fre&quency Counter"},
    {21, "RFrq", K::StaticText, 5, 4, 87, 93, 17, "RFrq : 00000 Hz"},
    {22, "LFrq", K::StaticText, 5, 4, 109, 93, 17, "LFrq : 00000 Hz"},
    {23, "cbWnd", K::CheckBox, 5, 200, 64, 66, 16, "Wind"},
    {24, "MainPanel", K::Panel, -1, 1, 691, 594, 30, ""},
    {25, "BtnStop", K::SpeedButton, 24, 539, 5, 50, 20, "STOP"},
    {26, "LSpeed", K::Label, 24, 470, 9, 40, 13, "Speed:9"},
    {27, "Led", K::CheckBox, 24, 195, 8, 40, 16, "Led"},
    {28, "Speed", K::UpDown, 24, 520, 5, 16, 20, "", 1, 9, 9},
    {29, "Ruler", K::CheckBox, 24, 141, 8, 50, 16, "Ruler"},
    // 66 wide, so that it ends before LFBox at 72 rather than lying under it.
    {30, "SpectralAmp", K::CheckBox, 24, 5, 8, 66, 16, "Sp. Amp", 0, 0, 0, 0, M::MoveOnly},
    {31, "RCnl", K::CheckBox, 24, 395, 8, 70, 16, "RChannel"},
    {32, "LCnl", K::CheckBox, 24, 325, 8, 70, 16, "LChannel"},
    {33, "Scope", K::CheckBox, 24, 243, 8, 81, 16, "Oscilloscope"},
    {34, "LFBox", K::CheckBox, 24, 72, 8, 65, 17, "Low Frq", 0, 0, 0, 0, M::None},
    {35, "RulerPanel", K::Panel, -1, 689, 1, 36, 512, "", 0, 0, 0, 0, M::None},
    {36, "PaintBox", K::PaintBox, 35, 1, 1, 34, 510, "", 0, 0, 0, 0, M::RulerPaintBox},
    {37, "OscillocopeGroup", K::GroupBox, -1, 599, 516, 89, 205, "Oscilloscope "},
    {38, "LabelY", K::Label, 37, 6, 34, 58, 13, "-0,00 dB"},
    {39, "LabelX", K::Label, 37, 6, 94, 62, 13, "X Scale: 30"},
    {40, "YScaleLbl", K::Label, 37, 6, 19, 50, 13, "Y Scale:"},
    {41, "ScopeXW", K::UpDown, 37, 52, 110, 30, 16, "", 1, 50, 25, 0, M::ScaleUpDown},
    {42, "ScopeYW", K::UpDown, 37, 66, 21, 16, 30, "", -181, -1, -1, 0, M::ScaleUpDown},
    {43, "Sync", K::CheckBox, 37, 6, 74, 50, 16, "Sync"},
    {44, "ShowLevels", K::CheckBox, 37, 6, 132, 80, 16, "Show Levels"},
    {45, "AutoYScale", K::CheckBox, 37, 4, 55, 83, 16, "Auto Y Scale"},
    {46, "Rlevel", K::StaticText, 37, 4, 153, 81, 18, "R : 00.00 dB"},
    {47, "Llevel", K::StaticText, 37, 4, 176, 81, 18, "L : 00.00 dB"},
    {48, "GeneratorGroup", K::GroupBox, -1, 1, 516, 241, 171, "Generator "},
    {49, "Bevel5", K::Bevel, 48, 4, 80, 233, 30, "", 0, 0, 0, 0, M::None},
    {50, "Bevel4", K::Bevel, 48, 4, 48, 233, 30, "", 0, 0, 0, 0, M::None},
    {51, "Bevel3", K::Bevel, 48, 4, 16, 233, 30, "", 0, 0, 0, 0, M::None},
    {52, "Label4", K::Label, 48, 159, 89, 12, 13, "%"},
    {53, "Label5", K::Label, 48, 95, 25, 14, 13, "Hz"},
    {54, "Label1", K::Label, 48, 159, 25, 12, 13, "%"},
    {55, "Label6", K::Label, 48, 95, 56, 14, 13, "Hz"},
    {56, "Label2", K::Label, 48, 159, 56, 12, 13, "%"},
    {57, "Label3", K::Label, 48, 106, 149, 14, 13, "Hz"},
    {58, "Label7", K::Label, 48, 228, 123, 11, 13, "%"},
    // Wide enough for its longer caption "RandomFrq", so three pixels left of
    // its design place to end where FInc begins.
    {59, "LabelInc", K::Label, 48, 4, 149, 59, 13, "Increment:"},
    {60, "LblNow", K::Label, 48, 130, 149, 33, 13, "22049 "},
    {61, "Label9", K::Label, 48, 106, 123, 11, 13, "to"},
    {62, "Label10", K::Label, 48, 171, 123, 14, 13, "Hz"},
    {63, "Noise", K::CheckBox, 48, 8, 87, 90, 17, "White Noise :"},
    {64, "FrqVN", K::SpinEdit, 48, 113, 84, 41, 22, "", 1, 100, 1, 3},
    // f1 and From are one pixel and six pixels narrower than designed so that
    // they end where the frequency edits begin.
    {65, "Frq1", K::CheckBox, 48, 8, 23, 30, 17, "f1"},
    {66, "FrqG1", K::SpinEdit, 48, 38, 20, 53, 22, "", 1, 24000, 1, 5},
    {67, "FrqV1", K::SpinEdit, 48, 113, 20, 41, 22, "", 1, 100, 1, 3},
    {68, "Frq2", K::CheckBox, 48, 8, 55, 30, 17, "f2"},
    {69, "FrqG2", K::SpinEdit, 48, 38, 52, 53, 22, "", 1, 24000, 1, 5},
    {70, "FrqV2", K::SpinEdit, 48, 113, 52, 41, 22, "", 1, 100, 1, 3},
    {71, "AutoG", K::CheckBox, 48, 8, 121, 43, 17, "From"},
    {72, "FInc", K::SpinEdit, 48, 63, 145, 41, 22, "", 0, 999, 1, 3},
    {73, "RcBox0", K::CheckBox, 48, 207, 23, 27, 17, "R"},
    {74, "LcBox0", K::CheckBox, 48, 178, 23, 27, 17, "L"},
    {75, "RcBox1", K::CheckBox, 48, 207, 55, 27, 17, "R"},
    {76, "LcBox1", K::CheckBox, 48, 178, 55, 27, 17, "L"},
    {77, "RcBox2", K::CheckBox, 48, 207, 87, 27, 17, "R"},
    {78, "LcBox2", K::CheckBox, 48, 178, 87, 27, 17, "L"},
    {79, "FrqVF", K::SpinEdit, 48, 186, 118, 41, 22, "", 1, 100, 1, 3},
    {80, "RcBox3", K::CheckBox, 48, 207, 147, 27, 17, "R"},
    {81, "LcBox3", K::CheckBox, 48, 178, 147, 27, 17, "L"},
    {82, "FrqFrom", K::SpinEdit, 48, 51, 118, 53, 22, "", 0, 24000, 1, 5},
    {83, "FrqTo", K::SpinEdit, 48, 117, 118, 53, 22, "", 1, 24000, 1, 5},
    {84, "SpectralAmpGroup", K::GroupBox, -1, 246, 516, 75, 78, "Amp Range  "},
    {85, "dB10", K::RadioButton, 84, 8, 16, 62, 17, "10 dB"},
    {86, "dB30", K::RadioButton, 84, 8, 35, 62, 17, "30 dB"},
    {87, "dB60", K::RadioButton, 84, 8, 54, 62, 17, "60 dB"},
    {88, "DrawModeGroup", K::GroupBox, -1, 246, 595, 75, 92, "Draw Mode "},
    {89, "BtnReset", K::SpeedButton, 88, 8, 62, 59, 22, "RESET"},
    {90, "LineMode", K::RadioButton, 88, 8, 16, 62, 17, "Line"},
    {91, "DotMode", K::RadioButton, 88, 8, 36, 62, 17, "Dot"},
}};

std::optional<int> ComponentIndex(std::string_view name) {
  for (const ComponentSpec& c : Components)
    if (c.Name == name) return c.Index;
  return std::nullopt;
}
