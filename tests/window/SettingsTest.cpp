// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: first run, round trips, the value names, and bad files.
// Everything runs in the test's own XDG_CONFIG_HOME.

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/Main.h"
#include "generator/Synthesis.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsMapping.h"
#include "tests/support/DeviceWindow.h"
#include "tests/support/WindowTest.h"

namespace {

QString ZenkoFolder() {
  return ConfigHome() + QStringLiteral("/Zenko");
}

// A writable settings folder without a settings file.
void ClearSettings() {
  QFile::setPermissions(ZenkoFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QDir(SettingsFile()).removeRecursively();
  QFile::remove(SettingsFile());
  QDir().mkpath(ZenkoFolder());
}

void StoreRaw(const QByteArray& content) {
  ClearSettings();
  QFile file(SettingsFile());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(content);
}

// Replaces the settings file by the given values of the [Veltrano] section.
void Store(const QByteArray& values) {
  StoreRaw("[Veltrano]\n" + values);
}

QByteArray ReadSettingsFile() {
  QFile file(SettingsFile());
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// name -> value text of every line of the file's [Veltrano] section.
std::map<std::string, std::string> StoredValues() {
  std::map<std::string, std::string> values;
  bool inSection = false;
  for (const QByteArray& line : ReadSettingsFile().replace("\xEF\xBB\xBF", "").split('\n')) {
    if (line.startsWith('[')) inSection = line == "[Veltrano]";
    const qsizetype eq = line.indexOf('=');
    if (inSection && eq > 0) values[line.left(eq).toStdString()] = line.mid(eq + 1).toStdString();
  }
  return values;
}

// Every window here is made from the settings file as the test left it.
using Window = StoredWindow;

struct Stored {
  const char* Name;
  const char* Control;
};

// The stored controls and their value names, fixed by the creation order.
const Stored Table[] = {
    {"CB6", "ColorBox"},      {"RB7", "RB22K"},
    {"RB8", "RB11K"},         {"RB9", "RB6K"},
    {"RB12", "fLog"},         {"RB13", "fSqrt"},
    {"RB14", "fLinear"},      {"CB15", "AutoSensitivity"},
    {"UD16", "Sensitivity"},  {"CB17", "Filter"},
    {"CB18", "Grid"},         {"CB19", "FFTMode"},
    {"CB20", "AutoFrqCount"}, {"CB23", "cbWnd"},
    {"CB27", "Led"},          {"UD28", "Speed"},
    {"CB29", "Ruler"},        {"CB30", "SpectralAmp"},
    {"CB31", "RCnl"},         {"CB32", "LCnl"},
    {"CB33", "Scope"},        {"CB34", "LFBox"},
    {"UD41", "ScopeXW"},      {"UD42", "ScopeYW"},
    {"CB43", "Sync"},         {"CB44", "ShowLevels"},
    {"CB45", "AutoYScale"},   {"CB63", "Noise"},
    {"SE64", "FrqVN"},        {"CB65", "Frq1"},
    {"SE66", "FrqG1"},        {"SE67", "FrqV1"},
    {"CB68", "Frq2"},         {"SE69", "FrqG2"},
    {"SE70", "FrqV2"},        {"CB71", "AutoG"},
    {"SE72", "FInc"},         {"CB73", "RcBox0"},
    {"CB74", "LcBox0"},       {"CB75", "RcBox1"},
    {"CB76", "LcBox1"},       {"CB77", "RcBox2"},
    {"CB78", "LcBox2"},       {"SE79", "FrqVF"},
    {"CB80", "RcBox3"},       {"CB81", "LcBox3"},
    {"SE82", "FrqFrom"},      {"SE83", "FrqTo"},
    {"RB85", "dB10"},         {"RB86", "dB30"},
    {"RB87", "dB60"},         {"RB90", "LineMode"},
    {"RB91", "DotMode"},
};

template <class T> T* Control(const Window& w, const char* name) {
  auto* control = w.form->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

bool IsSource(const std::string& name) {
  return name == "Frq1" || name == "Frq2" || name == "Noise" || name == "AutoG";
}

} // namespace

TEST(Settings, FirstRunDefaults) {
  ClearSettings();
  Window w;
  for (const ComponentSpec& entry : Components) {
    SCOPED_TRACE(std::string(entry.Name));
    QWidget* c = w.form->Component(entry.Index);
    switch (entry.Kind) {
    case ComponentKind::CheckBox:
      EXPECT_FALSE(static_cast<CheckBox*>(c)->Checked());
      break;
    case ComponentKind::UpDown:
      EXPECT_EQ(static_cast<UpDown*>(c)->Position(), 5);
      break;
    case ComponentKind::SpinEdit:
      EXPECT_EQ(static_cast<SpinEdit*>(c)->Text(), QStringLiteral("50"));
      break;
    case ComponentKind::RadioButton:
      EXPECT_EQ(static_cast<RadioButton*>(c)->Checked(),
                entry.Name == "RB22K" || entry.Name == "dB30" || entry.Name == "fLinear" ||
                    entry.Name == "LineMode");
      break;
    default:
      break;
    }
  }
  EXPECT_EQ(w.form->RulerPanel->x(), 992);
  EXPECT_EQ(w.form->Spectrum.SensLinear, 1);
  EXPECT_EQ(w.form->Spectrum.SensSqrt, 1);
  EXPECT_EQ(w.form->Spectrum.SensLog, 5);
  EXPECT_FALSE(QFile::exists(SettingsFile())) << "creation wrote the settings";
}

TEST(Settings, ValueNamesOfTheTableInTheVeltranoSection) {
  ClearSettings();
  Window w;
  EXPECT_EQ(w.form->Settings->FileName(), SettingsFile());
  w.Close();
  std::set<std::string> expected{"RP", "SLN", "SSQ", "SLG", "MWX", "MWY", "MWO"};
  for (const Stored& s : Table)
    expected.insert(s.Name);
  ASSERT_EQ(expected.size(), 53u + 7u);
  std::set<std::string> names;
  const QRegularExpression decimal(QStringLiteral("^-?[0-9]+$"));
  for (const auto& [name, value] : StoredValues()) {
    names.insert(name);
    EXPECT_TRUE(decimal.match(QString::fromStdString(value)).hasMatch()) << name << "=" << value;
  }
  EXPECT_EQ(names, expected);
  // One section only, and nothing else beside the file in its folder: the
  // file was written in one piece.
  const QByteArray content = ReadSettingsFile();
  EXPECT_TRUE(content.startsWith("[Veltrano]\n"));
  EXPECT_EQ(content.count('['), 1);
  EXPECT_EQ(QDir(ZenkoFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{QStringLiteral("Veltrano.conf")});
  const auto values = StoredValues();
  EXPECT_EQ(values.at("CB6"), "0");
  EXPECT_EQ(values.at("RB7"), "1");
  EXPECT_EQ(values.at("UD42"), "5");
  EXPECT_EQ(values.at("SE66"), "50");
  EXPECT_EQ(values.at("RP"), "992");
  EXPECT_EQ(values.at("SLG"), "5");
}

TEST(Settings, EveryStoredControlRoundTripsThroughCloseAndANewWindow) {
  ClearSettings();
  const std::set<std::string> selected{"RB6K", "fLog", "dB10", "DotMode"};
  const std::map<std::string, int> positions{
      {"Sensitivity", 37}, {"Speed", 3}, {"ScopeXW", 12}, {"ScopeYW", -77}};
  const std::map<std::string, int> values{{"FrqVN", 11},    {"FrqG1", 1234}, {"FrqV1", 12},
                                          {"FrqG2", 23456}, {"FrqV2", 13},   {"FInc", 0},
                                          {"FrqVF", 100},   {"FrqFrom", 0},  {"FrqTo", 24000}};
  // The save dialog's folder, with characters that would break a line of the file.
  const QTemporaryDir parent;
  const QString folder = parent.path() + QStringLiteral("/a b%\n\u00e9=[x]");
  ASSERT_TRUE(QDir().mkpath(folder));
  {
    Window w;
    for (const Stored& s : Table) {
      const std::string name = s.Control;
      if (s.Name[0] == 'C') Control<CheckBox>(w, s.Control)->SetChecked(true);
      if (s.Name[0] == 'R' && selected.count(name))
        Control<RadioButton>(w, s.Control)->SetChecked(true);
      if (s.Name[0] == 'U') Control<UpDown>(w, s.Control)->SetPosition(int16_t(positions.at(name)));
      if (s.Name[0] == 'S') Control<SpinEdit>(w, s.Control)->SetValue(values.at(name));
    }
    w.form->RulerPanel->move(500, 1);
    w.form->Spectrum.SensLinear = 11;
    w.form->Spectrum.SensSqrt = 22;
    w.form->Spectrum.SensLog = 33;
    w.form->LastFolder = folder;
    w.form->FolderChosen = true;
    w.Close();
  }
  const auto stored = StoredValues();
  EXPECT_EQ(stored.at("CB65"), "1"); // saved as ticked, even though it starts off
  EXPECT_EQ(stored.at("UD42"), "-77");
  EXPECT_EQ(stored.at("SE72"), "0");

  Window w;
  for (const Stored& s : Table) {
    SCOPED_TRACE(s.Name);
    const std::string name = s.Control;
    if (s.Name[0] == 'C') {
      EXPECT_EQ(Control<CheckBox>(w, s.Control)->Checked(), !IsSource(name));
    } else if (s.Name[0] == 'R') {
      EXPECT_EQ(Control<RadioButton>(w, s.Control)->Checked(), selected.count(name) == 1);
    } else if (s.Name[0] == 'U') {
      EXPECT_EQ(Control<UpDown>(w, s.Control)->Position(), positions.at(name));
    } else {
      EXPECT_EQ(Control<SpinEdit>(w, s.Control)->Value(), values.at(name));
    }
  }
  EXPECT_EQ(w.form->RulerPanel->x(), 500);
  EXPECT_FALSE(w.form->RulerPanel->isHidden());
  EXPECT_EQ(w.form->Spectrum.SensLinear, 11);
  EXPECT_EQ(w.form->Spectrum.SensSqrt, 22);
  EXPECT_EQ(w.form->Spectrum.SensLog, 33);
  EXPECT_EQ(w.form->LastFolder, folder);
}

TEST(Settings, SpinEditValueIsClampedOnLoadButSavedAsTyped) {
  Store("SE66=30000\nSE82=-5\nSE72=5000\nSE64=0\n");
  Window w;
  EXPECT_EQ(w.form->FrqG1->Text(), QStringLiteral("24000"));
  EXPECT_EQ(w.form->FrqFrom->Value(), 0);
  EXPECT_EQ(w.form->FInc->Value(), 999);
  EXPECT_EQ(w.form->FrqVN->Value(), 1);
  // Typed beyond the range and not yet corrected; text that is no number
  // saves MinValue.
  w.form->FrqFrom->SetText(QStringLiteral("-5"));
  w.form->FInc->SetText(QStringLiteral("-12"));
  w.form->FrqTo->SetText(QStringLiteral("-"));
  w.Close();
  EXPECT_EQ(StoredValues().at("SE82"), "-5");
  EXPECT_EQ(StoredValues().at("SE72"), "-12");
  EXPECT_EQ(StoredValues().at("SE83"), "1");
}

TEST(Settings, RulerEdgeSavedOnlyWithinMinus28To995) {
  for (const auto& [left, saved] : {std::pair{996, "500"}, std::pair{-29, "500"},
                                    std::pair{995, "995"}, std::pair{-28, "-28"}}) {
    Store("RP=500\n");
    Window w;
    w.form->RulerPanel->move(left, 1);
    w.Close();
    EXPECT_EQ(StoredValues().at("RP"), saved) << left;
  }
  // Saved at either end of that range, it comes back at 2.
  Window w;
  EXPECT_EQ(w.form->RulerPanel->x(), 2);
}

TEST(Settings, BooleanIsAnyWholeNumberOtherThanZero) {
  for (const auto& [text, ticked] :
       {std::pair{"2", true}, std::pair{"-1", true}, std::pair{" 7", true}, std::pair{"$10", true},
        std::pair{"0", false}, std::pair{"x", false}, std::pair{"true", false},
        std::pair{"1.0", false}}) {
    Store(QByteArray("CB27=") + text + "\n");
    Window w;
    EXPECT_EQ(w.form->Led->Checked(), ticked) << text;
  }
}

TEST(Settings, ValueOfAnotherTypeGivesTheDefault) {
  Store("SE66=1, 2\n"
        "SE67=99999999999\n"
        "SE69=\n"
        "UD41=70000\n"
        "UD16=@Invalid()\n"
        "SE70=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\a)\n"
        "CB6=1, 0\n"
        "RP=7, 8\n"
        "SLG=abc\n");
  Window w;
  EXPECT_EQ(w.form->FrqG1->Value(), 50);
  EXPECT_EQ(w.form->FrqV1->Value(), 50);
  EXPECT_EQ(w.form->FrqG2->Value(), 50);
  EXPECT_EQ(w.form->FrqV2->Value(), 50);
  EXPECT_EQ(w.form->ScopeXW->Position(), 5);
  EXPECT_EQ(w.form->Sensitivity->Position(), 5);
  EXPECT_FALSE(w.form->ColorBox->Checked());
  EXPECT_EQ(w.form->RulerPanel->x(), 992);
  EXPECT_EQ(w.form->Spectrum.SensLog, 5);
}

TEST(Settings, CorruptOrTruncatedFileGivesTheDefaultsAndAWholeSectionAtTheNextClose) {
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i)
    garbage += static_cast<char>((i * 7919 + 13) % 256);
  const QByteArray files[] = {
      "[Velt", "[Veltrano]\nCB6=x\nRB", "[Veltrano",
      garbage, QByteArray(1000, '\0'),  "\xEF\xBB\xBF[Veltrano]\nSE66=\xFF\xFE\n"};
  for (const QByteArray& content : files) {
    SCOPED_TRACE(content.left(20).toHex().toStdString());
    StoreRaw(content);
    testing::internal::CaptureStderr();
    {
      Window w;
      EXPECT_FALSE(w.form->ColorBox->Checked());
      EXPECT_FALSE(w.form->RB11K->Checked());
      EXPECT_TRUE(w.form->RB22K->Checked());
      EXPECT_EQ(w.form->FrqG1->Value(), 50);
      EXPECT_EQ(w.form->Speed->Position(), 5);
      EXPECT_EQ(w.form->RulerPanel->x(), 992);
      w.Close();
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("could not save"), std::string::npos) << errors;
    // The next close writes a whole, good section.
    const auto values = StoredValues();
    EXPECT_EQ(values.size(), 60u);
    EXPECT_EQ(values.count("SE66") ? values.at("SE66") : "", "50");
  }
}

TEST(Settings, HandlerDuringTheLoadSeesLowerIndicesLoadedAndHigherAtDesign) {
  Store("RB13=1\nUD16=40\nCB71=1\nSE82=1234\nSE83=20000\nUD41=12\n");
  Window w;
  TForm1& f = *w.form;

  struct {
    bool sqrt = false;
    int oldPosition = 0, scopeXW = 0;
    QString frqFrom;
    int runs = 0;
  } atSensitivity;
  struct {
    bool autoG = false;
    QString frqTo, lblNow;
    int runs = 0;
  } atFrqFrom;

  const ChangingEvent sensitivity = f.Sensitivity->OnChanging;
  f.Sensitivity->OnChanging = [&](QObject* s, bool& allow) {
    atSensitivity = {f.fSqrt->Checked(), f.Sensitivity->Position(), f.ScopeXW->Position(),
                     f.FrqFrom->Text(), atSensitivity.runs + 1};
    sensitivity(s, allow);
  };
  const NotifyEvent frqFrom = f.FrqFrom->OnChange;
  f.FrqFrom->OnChange = [&](QObject* s) {
    frqFrom(s);
    atFrqFrom = {f.AutoG->Checked(), f.FrqTo->Text(), f.LblNow->Caption(), atFrqFrom.runs + 1};
  };

  // Back to the design values, then the load as at creation.
  for (const ComponentSpec& entry : Components) {
    QWidget* c = f.Component(entry.Index);
    if (entry.Kind == ComponentKind::CheckBox) static_cast<CheckBox*>(c)->SetChecked(entry.Value);
    if (entry.Kind == ComponentKind::RadioButton)
      static_cast<RadioButton*>(c)->SetChecked(entry.Value);
    if (entry.Kind == ComponentKind::UpDown)
      static_cast<UpDown*>(c)->SetPosition(static_cast<int16_t>(entry.Value));
    if (entry.Kind == ComponentKind::SpinEdit) static_cast<SpinEdit*>(c)->SetValue(entry.Value);
  }
  atSensitivity.runs = atFrqFrom.runs = 0;
  f.LoadSettings();

  EXPECT_EQ(atSensitivity.runs, 1);
  EXPECT_TRUE(atSensitivity.sqrt);          // index 13: loaded
  EXPECT_EQ(atSensitivity.oldPosition, 10); // its own design position
  EXPECT_EQ(atSensitivity.scopeXW, 25);     // index 41: design
  EXPECT_EQ(atSensitivity.frqFrom, QStringLiteral("1"));
  EXPECT_EQ(atFrqFrom.runs, 1);
  EXPECT_TRUE(atFrqFrom.autoG);                    // index 71: loaded
  EXPECT_EQ(atFrqFrom.frqTo, QStringLiteral("1")); // index 83: design
  // With the sweep ticked the readout shows the sweep frequency, taken from
  // FrqFrom's design value when AutoG was loaded.
  EXPECT_EQ(atFrqFrom.lblNow, QString::fromStdString(FormatSweep(1)));
  EXPECT_EQ(f.FrqTo->Value(), 20000);
  EXPECT_EQ(f.ScopeXW->Position(), 12);
}

TEST(Settings, StoredSensitivitiesWinOverTheSensitivityHandler) {
  // Loading the Sensitivity position runs its handler with fSqrt already
  // selected; it sets Spectrum.SensSqrt to the old position 10 before the stored
  // sensitivities are read.
  Store("RB13=1\nUD16=40\nSLN=7\nSLG=9\n");
  Window w;
  EXPECT_EQ(w.form->Sensitivity->Position(), 40);
  EXPECT_EQ(w.form->Spectrum.SensLinear, 7);
  EXPECT_EQ(w.form->Spectrum.SensSqrt, 1);
  EXPECT_EQ(w.form->Spectrum.SensLog, 9);
}

namespace {

// Saves a window over a good earlier file while `block` keeps the new file
// from being written; the earlier file must stay as it was.
template <class Block, class Unblock>
void ExpectFailedSaveKeepsTheEarlierFile(Block block, Unblock unblock) {
  Store("CB6=1\nSE66=440\n");
  {
    Window w;
    w.Close();
  }
  const QByteArray earlier = ReadSettingsFile();
  ASSERT_GT(earlier.size(), 400);
  Window w;
  w.form->ColorBox->SetChecked(false);
  w.form->FrqG1->SetValue(880);
  testing::internal::CaptureStderr();
  block();
  const bool closed = w.form->close();
  unblock();
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(closed);
  EXPECT_EQ(ReadSettingsFile(), earlier);
  EXPECT_NE(errors.find("could not save"), std::string::npos) << errors;
  EXPECT_EQ(QDir(ZenkoFolder()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("Veltrano.conf")});
}

} // namespace

TEST(Settings, SaveIntoAFolderThatCannotBeWrittenKeepsTheEarlierFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ExpectFailedSaveKeepsTheEarlierFile(
      [] { QFile::setPermissions(ZenkoFolder(), QFile::ReadOwner | QFile::ExeOwner); },
      [] {
        QFile::setPermissions(ZenkoFolder(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      });
}

TEST(Settings, SaveThatFailsHalfwayKeepsTheEarlierFile) {
  // The file-size limit stops the write part of the way through, as a full
  // disk or a crash would; it also stops root.
  // The limit's signal keeps its default action, which ends the program
  // unless the save ignores it.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*handler)(int) = std::signal(SIGXFSZ, SIG_DFL);
  ExpectFailedSaveKeepsTheEarlierFile(
      [&] {
        struct rlimit small = saved;
        small.rlim_cur = 200;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
      },
      [&] { setrlimit(RLIMIT_FSIZE, &saved); });
  std::signal(SIGXFSZ, handler);
}

TEST(Settings, AnythingButARegularFileIsReportedAndNeitherReadNorSavedOver) {
  // A file beyond the read limit is not a settings file, whatever it holds.
  QByteArray large = "[Veltrano]\nCB6=1\n;";
  large += QByteArray(MaxSettingsFileBytes - large.size(), 'x') + "\n";
  const QString elsewhere = ConfigHome() + QStringLiteral("/elsewhere");
  const struct {
    const char* What;
    std::function<void()> Make;
    std::function<bool()> StillThere;
  } cases[] = {
      {"a folder", [] { QDir().mkpath(SettingsFile()); },
       [] { return QFileInfo(SettingsFile()).isDir(); }},
      // A FIFO would keep an open() waiting for a writer for ever.
      {"a FIFO", [] { mkfifo(QFile::encodeName(SettingsFile()).constData(), 0600); },
       [] {
         struct stat st {};
         return lstat(QFile::encodeName(SettingsFile()).constData(), &st) == 0 &&
                S_ISFIFO(st.st_mode);
       }},
      {"a link to a device", [] { QFile::link(QStringLiteral("/dev/null"), SettingsFile()); },
       [] {
         struct stat st {};
         return QFileInfo(SettingsFile()).symLinkTarget() == QStringLiteral("/dev/null") &&
                stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode);
       }},
      {"a link that leads nowhere", [&] { QFile::link(elsewhere, SettingsFile()); },
       [&] { return QFileInfo(SettingsFile()).isSymLink() && !QFile::exists(elsewhere); }},
      {"a file one byte over the limit", [&] { StoreRaw(large); },
       [&] { return ReadSettingsFile() == large; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    ClearSettings();
    c.Make();
    testing::internal::CaptureStderr();
    {
      Window w;
      EXPECT_FALSE(w.form->ColorBox->Checked());
      EXPECT_EQ(w.form->FrqG1->Value(), 50);
      w.Close();
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("the defaults are used"), std::string::npos) << errors;
    EXPECT_NE(errors.find("could not save"), std::string::npos) << errors;
    EXPECT_TRUE(c.StillThere());
    EXPECT_EQ(QDir(ZenkoFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              QStringList{QStringLiteral("Veltrano.conf")});
  }
  ClearSettings();
}

TEST(Settings, ASaveThatWouldPassTheReadLimitWritesNothing) {
  // A file of exactly the limit is read; the program's own section would take
  // it past, and a file past the limit would be refused at the next start.
  QByteArray full = "[Elsewhere]\n;";
  full += QByteArray(MaxSettingsFileBytes - full.size() - 1, 'x') + "\n";
  StoreRaw(full);
  testing::internal::CaptureStderr();
  {
    Window w;
    w.Close();
  }
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("larger than 1088 KiB"), std::string::npos) << errors;
  EXPECT_EQ(ReadSettingsFile(), full);
  ClearSettings();
}

TEST(Settings, OneLineThatCannotBeReadCostsOnlyThatLine) {
  // Every stored control away from its default (the four sources are saved
  // unticked, as they always start), the ruler and the sensitivities.
  QByteArray values;
  const std::map<std::string, int> numbers{
      {"UD16", 37},   {"UD28", 3},  {"UD41", 12},    {"UD42", -77}, {"SE64", 11},
      {"SE66", 1234}, {"SE67", 12}, {"SE69", 23456}, {"SE70", 13},  {"SE72", 0},
      {"SE79", 100},  {"SE82", 0},  {"SE83", 24000}};
  const std::set<std::string> selected{"RB9", "RB12", "RB85", "RB91"};
  for (const Stored& s : Table) {
    const std::string name = s.Name;
    const int value = numbers.count(name) ? numbers.at(name)
                      : name[0] == 'R'    ? int(selected.count(name))
                                          : int(!IsSource(s.Control));
    values += QByteArray(s.Name) + '=' + QByteArray::number(value) + '\n';
    if (name == "CB29") values += "this line is no value\n";
  }
  Store(values + "RP=500\nSLN=11\nSSQ=22\nSLG=33\nMWX=40\nMWY=30\nMWO=0\n");
  const auto before = StoredValues();
  ASSERT_EQ(before.size(), 60u);

  testing::internal::CaptureStderr();
  {
    Window w;
    EXPECT_TRUE(w.form->ColorBox->Checked());
    EXPECT_EQ(w.form->FrqG2->Value(), 23456);
    w.Close();
  }
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("line 19 of the settings file"), std::string::npos) << errors;
  EXPECT_EQ(StoredValues(), before);
  EXPECT_TRUE(ReadSettingsFile().contains("\nthis line is no value\n"));
}

// The file is reached through a link, as dotfile managers keep it: the link is
// followed and stays a link.
TEST(Settings, TheSaveKeepsOtherSectionsCommentsAndUnknownNamesAndTheLink) {
  ClearSettings();
  const QString target = ConfigHome() + QStringLiteral("/dotfiles/Veltrano.conf");
  QDir().mkpath(QFileInfo(target).absolutePath());
  QFile::remove(target);
  ASSERT_TRUE(QFile::link(target, SettingsFile()));
  QFile file(target);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[Veltrano]\n; written by hand\n"
             "Theme=dark\n"
             "CB6=1\n"
             "\n"
             "[Other]\n"
             "# another program's\n"
             "CB6=7\n");
  file.close();
  {
    Window w;
    EXPECT_TRUE(w.form->ColorBox->Checked());
    w.form->ColorBox->SetChecked(false);
    w.Close();
  }
  const QByteArray text = ReadSettingsFile();
  EXPECT_TRUE(text.startsWith("[Veltrano]\n; written by hand\nTheme=dark\nCB6=0\nRB7=1\n"))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith(
      "SLG=5\nMWX=-32768\nMWY=-32768\nMWO=0\n\n[Other]\n# another program's\nCB6=7\n"))
      << text.toStdString();
  EXPECT_EQ(StoredValues().size(), 60u + 1u);
  EXPECT_EQ(QFileInfo(SettingsFile()).symLinkTarget(), target);
  ClearSettings();
}

TEST(Settings, PositionsOutOfRangeShowAsTheNearestBoundAndAreKept) {
  for (const auto& [stored, speed, yScale, sensitivity] :
       {std::tuple{"UD28=30000\nUD42=200\nSLN=2147483647\n", "Speed:9", "-90.3 dB", "100%"},
        std::tuple{"UD28=-7\nUD42=0\nSLN=-3\n", "Speed:1", "-90.3 dB", "1%"},
        std::tuple{"UD28=4\nUD42=-30000\nSLN=40\n", "Speed:4", "-0.0 dB", "40%"}}) {
    SCOPED_TRACE(stored);
    // A channel, the oscilloscope and its automatic scale, so the refresh
    // writes every caption.
    Store(QByteArray(stored) + "CB31=1\nCB33=1\nCB45=1\n");
    {
      Window w;
      w.form->UpdateStatus();
      EXPECT_EQ(w.form->LSpeed->Caption(), QString::fromLatin1(speed));
      EXPECT_EQ(w.form->LabelY->Caption(), QString::fromLatin1(yScale));
      EXPECT_EQ(w.form->LSensVal->Caption(), QString::fromLatin1(sensitivity));
      w.Close();
    }
    const auto values = StoredValues();
    for (const QByteArray& line : QByteArray(stored).split('\n')) {
      const qsizetype eq = line.indexOf('=');
      if (eq > 0) {
        EXPECT_EQ(values.at(line.left(eq).toStdString()), line.mid(eq + 1).toStdString());
      }
    }
  }
}

// Any device name the server gives is stored, escaped for the file's line,
// and chosen again at the next start; a plain name stays as it was.
TEST(Settings, DeviceNamesOfAnyCharactersAreStoredAndChosenAgain) {
  const std::string input = "alsa_input.usb-Zo\xC3\xABtrope_\xE9\x9F\xB3 #1=\n[x]";
  const std::string output = "alsa_output.pci-0000_00_1f.3.analog-stereo";
  {
    DeviceWindow w;
    w.audio->Chosen[1] = input;
    w.audio->Chosen[0] = output;
    w.Close();
  }
  const auto values = StoredValues();
  EXPECT_EQ(values.at("InDevice"), "alsa_input.usb-Zo%C3%ABtrope_%E9%9F%B3%20%231%3D%0A%5Bx%5D");
  EXPECT_EQ(values.at("OutDevice"), output);
  StoredWindow again;
  EXPECT_EQ(again.audio->Chosen[1], input);
  EXPECT_EQ(again.audio->Chosen[0], output);
}
