// SPDX-License-Identifier: GPL-3.0-or-later
// The session's commands against a scripted screen and the capture device:
// creation and the menu bar, the enable sets, the save prompt, files, the
// start-up load, devices, instruments and the scroll bars.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "CaptureRig.h"
#include "SessionRig.h"
#include "files/PerformanceFile.h"
#include "session/DeviceMessages.h"
#include "session/FailureTexts.h"
#include "session/Instruments.h"
#include "tests/support/TempDir.h"

namespace tangrel::testing {
namespace {

namespace fs = std::filesystem;

// Record-menu items, then buttons: Record, Finish, Play, Circle, End Play,
// Save, Save as, Export, Load | Record, Finish, Play, Circle, End Play.
const std::vector<bool> kInitial = {1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
const std::vector<bool> kRecording = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
const std::vector<bool> kReady = {1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 0, 1, 1, 0};
const std::vector<bool> kPlaying = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
const std::vector<bool> kSavedReady = {1, 0, 1, 1, 0, 0, 1, 1, 1, 1, 0, 1, 1, 0};
const std::vector<bool> kStartupLoaded = {1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 0};

ChosenFile FileIn(const TempDir& dir, const std::string& name) { return {dir.File(name), name}; }

TEST(SessionMenus, TheBarIsBuiltFromTheTablesWithItsFirstMarks) {
  SessionRig rig;
  const auto& bar = rig.screen.menu;
  std::vector<std::string> titles;
  for (const MenuItem& popup : bar) titles.push_back(popup.text);
  EXPECT_EQ(titles, (std::vector<std::string>{"&Switch", "&Instruments", "&Mode", "&Record",
                                              "&Function", "&Device", "&Track", "&Help"}));
  const MenuItem& families = bar[1];
  ASSERT_EQ(families.items.size(), 16u);
  EXPECT_EQ(families.items[0].text, " 1.\tPiano");
  EXPECT_EQ(families.items[15].text, "16.\tSound Effects");
  EXPECT_EQ(families.items[15].items[7].text, "&8.\tGunshot");
  EXPECT_EQ(families.items[15].items[7].command, 1151);
  EXPECT_EQ(bar[2].items.size(), 24u);
  EXPECT_EQ(bar[6].items.size(), 15u);  // channel 15 is the bourdon's
  EXPECT_EQ(bar[5].items.front().text, "Capture");
  for (int32_t on : {1024, IDM_MODE_FIRST, IDM_DEVICE_BASE, IDM_TRACK_BASE, IDM_SWITCH_OPEN}) {
    EXPECT_TRUE(rig.screen.Checked(on)) << on;
  }
  for (int32_t off : {IDM_SWITCH_CLOSE, IDM_BOURDON, 1025}) EXPECT_FALSE(rig.screen.Checked(off));
  EXPECT_EQ(rig.Enables(), kInitial);
  EXPECT_EQ(rig.screen.caption, "Tangrel - [Untitle]");
  // The open at creation changes the program on the track's channel only.
  EXPECT_EQ(rig.device->Words(), (std::vector<uint32_t>{0xC0}));
}

TEST(SessionMenus, TheToolbarPlaysTheFavouriteOfEachKind) {
  EXPECT_EQ(ToolbarCommand(0), 1024);
  EXPECT_EQ(ToolbarCommand(7), 1081);  // a trumpet's picture, the trombone's program
  EXPECT_EQ(ToolbarCommand(13), 1147);
  for (int f = 0; f < kFamilyCount; ++f) {
    for (int i = 0; i < 8; ++i) EXPECT_EQ(InstrumentTable[f].instruments[i].program, 8 * f + i);
  }
  EXPECT_EQ(InstrumentPictureIndex(9, 0), 14);
  EXPECT_EQ(InstrumentPictureIndex(0, 80), 10);
  EXPECT_EQ(InstrumentPictureIndex(0, 103), 10);
  EXPECT_EQ(InstrumentPictureIndex(0, 104), 11);
  EXPECT_EQ(InstrumentPictureIndex(0, 127), 13);
}

TEST(SessionCreate, NoDeviceOrAFailedOpenIsSaidAndOnlyTheFirstEnds) {
  DeviceSet none;
  ScriptedScreen screen;
  Session session(none, screen, nullptr, 8, 16);
  EXPECT_FALSE(session.Create(""));
  ASSERT_EQ(screen.boxes.size(), 1u);
  EXPECT_EQ(screen.boxes[0].text, "No MIDI output devices!");
  EXPECT_EQ(screen.boxes[0].icon, MessageIcon::Error);

  SessionRig rig(/*opens=*/false);
  EXPECT_TRUE(rig.created);
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  EXPECT_EQ(rig.screen.boxes[0].text, "Cannot open MIDI device");
  EXPECT_EQ(rig.screen.boxes[0].caption, "TG");
  EXPECT_EQ(rig.screen.beeps, 1);
  EXPECT_TRUE(rig.screen.Checked(IDM_SWITCH_CLOSE));
  rig.Command(IDM_RECORD);
  EXPECT_EQ(rig.screen.boxes.back().text, "Please Open Switch");
  EXPECT_EQ(rig.screen.boxes.back().caption, "Zazu");
  EXPECT_EQ(rig.Enables(), kInitial);
}

TEST(SessionEnableSets, RecordFinishPlayAndEndPlayMoveTheStates) {
  SessionRig rig;
  rig.Command(IDM_RECORD);
  EXPECT_EQ(rig.Enables(), kRecording);
  rig.Command(IDM_END_RECORD);  // nothing recorded: nothing to play or save
  EXPECT_EQ(rig.Enables(), kInitial);
  EXPECT_FALSE(rig.session.State().modified);

  rig.RecordTake();
  EXPECT_EQ(rig.Enables(), kReady);
  EXPECT_TRUE(rig.session.State().modified);
  rig.device->Clear();
  rig.Command(IDM_PLAY);
  EXPECT_EQ(rig.Enables(), kPlaying);
  ASSERT_TRUE(rig.PlayToTheEnd());
  EXPECT_EQ(rig.Enables(), kReady);  // still unsaved: Save stays
  const auto words = rig.device->Words();
  ASSERT_GE(words.size(), 4u + 16u);
  EXPECT_EQ(words[0], NoteOn(0, 60));
  EXPECT_EQ(words[3], NoteOff(0, 62));
  EXPECT_EQ(words.back(), ShortMessageWord(0xB0, 15, 123, 0));
}

TEST(SessionEnableSets, EndPlayAfterASaveKeepsSaveGrey) {
  TempDir dir;
  SessionRig rig;
  rig.RecordTake();
  rig.screen.files.push_back(FileIn(dir, "take.tgi"));
  EXPECT_TRUE(rig.session.OnCommand(IDM_SAVE));
  EXPECT_EQ(rig.Enables(), kSavedReady);
  rig.Command(IDM_CIRCLE_PLAY);
  rig.Command(IDM_END_PLAY);
  EXPECT_EQ(rig.Enables(), kSavedReady);
  EXPECT_EQ(rig.screen.caption, "Tangrel - [take.tgi]");
}

TEST(SessionSavePrompt, YesNoCancelAndAYesWhoseSaveIsCancelled) {
  TempDir dir;
  SessionRig rig;
  EXPECT_TRUE(rig.session.QueryClose());  // nothing to lose: no question
  rig.RecordTake();
  rig.screen.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(rig.session.QueryClose());
  EXPECT_EQ(rig.screen.boxes.back().text, "Do you save current change in Untitle?");
  EXPECT_EQ(rig.screen.boxes.back().icon, MessageIcon::Question);
  rig.screen.answers = {MessageAnswer::Yes};
  rig.screen.files = {std::nullopt};
  EXPECT_FALSE(rig.session.QueryClose());
  rig.screen.answers = {MessageAnswer::No};
  EXPECT_TRUE(rig.session.QueryClose());
  rig.screen.answers = {MessageAnswer::Yes};
  rig.screen.files = {FileIn(dir, "kept.tgi")};
  EXPECT_TRUE(rig.session.QueryClose());
  EXPECT_TRUE(fs::exists(dir.File("kept.tgi")));
  EXPECT_EQ(rig.screen.requests.back().filter, std::string("TGI Files(*.TGI)"));
  EXPECT_EQ(rig.screen.requests.back().defaultSuffix, std::string("tgi"));
}

TEST(SessionFiles, AFailedSaveShowsTheUntitledCaptionAndTheNextSaveAsks) {
  TempDir dir;
  SessionRig rig;
  rig.RecordTake();
  rig.screen.files = {ChosenFile{dir.File("no/such/folder/x.tgi"), "x.tgi"}};
  EXPECT_FALSE(rig.session.OnCommand(IDM_SAVE_AS));
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  // The message as it always stood, and why on a line of its own.
  EXPECT_EQ(rig.screen.boxes[0].text,
            FormatFileMessage(FailureMessage(FailureKind::CannotCreate), "x.tgi") +
                "\nThe folder does not exist.");
  EXPECT_EQ(rig.screen.boxes[0].icon, MessageIcon::Warning);
  EXPECT_EQ(rig.screen.caption, "Tangrel - [Untitle]");
  EXPECT_TRUE(rig.screen.Enabled(IDM_SAVE));
  rig.screen.files = {FileIn(dir, "y.tgi")};
  EXPECT_TRUE(rig.session.OnCommand(IDM_SAVE));
  EXPECT_EQ(rig.screen.requests.size(), 2u);
  EXPECT_EQ(rig.screen.requests.back().startPath, dir.File("no/such/folder/x.tgi"));
}

TEST(SessionFiles, LoadAsksFirstThenTakesTheFilesModeAndBourdon) {
  TempDir dir;
  const std::vector<PerformanceEvent> take = {{5, WM_KEYDOWN, kA << 16, 0},
                                              {5, WM_KEYUP, kA << 16, 0}};
  ASSERT_FALSE(SavePerformanceFile(take.data(), 2, 1313, 1, dir.File("e.tgi")));
  SessionRig rig;
  rig.RecordTake();
  rig.screen.answers = {MessageAnswer::Cancel};
  rig.Command(IDM_LOAD);
  EXPECT_TRUE(rig.screen.requests.empty());  // Cancel ends the command

  rig.screen.answers = {MessageAnswer::No};
  rig.screen.files = {FileIn(dir, "e.tgi")};
  rig.Command(IDM_LOAD);
  EXPECT_TRUE(rig.screen.Checked(1313));
  EXPECT_FALSE(rig.screen.Checked(IDM_MODE_FIRST));
  EXPECT_TRUE(rig.screen.Checked(IDM_BOURDON));
  EXPECT_EQ(rig.session.Settings().mode, 1313);
  EXPECT_EQ(rig.session.Events().count(), 2u);
  EXPECT_EQ(rig.screen.caption, "Tangrel - [e.tgi]");
  EXPECT_EQ(rig.Enables(), kSavedReady);
  EXPECT_FALSE(rig.session.State().modified);
}

TEST(SessionFiles, AFileWithAModeOutsideTheTwentyFourChangesNothingButTheTitle) {
  TempDir dir;
  const std::vector<PerformanceEvent> take = {{5, WM_KEYDOWN, kA << 16, 0}};
  ASSERT_FALSE(SavePerformanceFile(take.data(), 1, 1306, 0, dir.File("odd.tgi")));
  SessionRig rig;
  rig.RecordTake();
  rig.screen.answers = {MessageAnswer::No};
  rig.screen.files = {FileIn(dir, "odd.tgi")};
  rig.Command(IDM_LOAD);
  ASSERT_EQ(rig.screen.boxes.size(), 2u);
  EXPECT_EQ(rig.screen.boxes[1].text,
            FormatFileMessage(FailureMessage(FailureKind::NotSupported), "odd.tgi"));
  EXPECT_EQ(rig.session.Events().count(), 4u);  // the take in memory stays
  EXPECT_EQ(rig.session.Settings().mode, IDM_MODE_FIRST);
  EXPECT_TRUE(rig.session.State().currentFileTitle.empty());
  EXPECT_EQ(rig.Enables(), kReady);
}

TEST(SessionFiles, ExportWritesTheTakeAndSaysWhenItCannot) {
  TempDir dir;
  SessionRig rig;
  rig.RecordTake();
  rig.screen.files = {FileIn(dir, "t.mid")};
  rig.Command(IDM_EXPORT_MIDI);
  EXPECT_TRUE(fs::exists(dir.File("t.mid")));
  EXPECT_EQ(rig.screen.requests.back().filter, std::string("Midi Files(*.MID)"));
  EXPECT_EQ(rig.session.State().midiExportPath, dir.File("t.mid"));
  rig.screen.files = {ChosenFile{dir.File("none/t.mid"), "t.mid"}};
  rig.Command(IDM_EXPORT_MIDI);
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  EXPECT_EQ(rig.screen.boxes[0].text,
            FormatFileMessage(FailureMessage(FailureKind::CannotCreate), "t.mid") +
                "\nThe folder does not exist.");
  EXPECT_EQ(rig.screen.requests.back().startPath, dir.File("t.mid"));
}

TEST(SessionStartUp, AFileOnTheCommandLineIsLoadedAndPlaysOnTheTimer) {
  TempDir dir;
  const std::vector<PerformanceEvent> take = {{5, WM_KEYDOWN, kA << 16, 0},
                                              {5, WM_KEYUP, kA << 16, 0}};
  const std::string path = dir.File("start.tgi");
  ASSERT_FALSE(SavePerformanceFile(take.data(), 2, 1298, 1, path));
  SessionRig rig(true, path);
  EXPECT_TRUE(rig.screen.boxes.empty());
  EXPECT_EQ(rig.screen.caption, "Tangrel - [" + path + "]");
  EXPECT_TRUE(rig.screen.Checked(1298));
  EXPECT_TRUE(rig.screen.Checked(IDM_BOURDON));
  EXPECT_EQ(rig.Enables(), kStartupLoaded);
  ASSERT_EQ(rig.screen.timers.count(IDT_AUTOPLAY), 1u);
  EXPECT_EQ(rig.screen.timers[IDT_AUTOPLAY], 500u);
  rig.device->Clear();
  rig.session.OnTimer(IDT_AUTOPLAY);
  EXPECT_TRUE(rig.screen.timers.empty());
  EXPECT_EQ(rig.Enables(), kPlaying);
  ASSERT_TRUE(rig.PlayToTheEnd());
  const auto words = rig.device->Words();
  ASSERT_GE(words.size(), 2u);
  EXPECT_EQ(words[0], NoteOn(0, 62));      // " D Major"
  EXPECT_EQ(words[1], NoteOn(15, 50));     // and its bourdon
  EXPECT_TRUE(rig.screen.Enabled(IDM_EXPORT_MIDI));
}

TEST(SessionStartUp, AMissingFileOrAClosedOutputStartsNothing) {
  SessionRig missing(true, "\"no such.tgi\"");
  ASSERT_EQ(missing.screen.boxes.size(), 1u);
  EXPECT_EQ(missing.screen.boxes[0].text,
            FormatFileMessage(FailureMessage(FailureKind::CannotOpen), "\"no such.tgi\""));
  EXPECT_EQ(missing.screen.caption, "Tangrel - [Untitle]");
  EXPECT_TRUE(missing.screen.timers.empty());

  TempDir dir;
  const std::vector<PerformanceEvent> take = {{5, WM_KEYDOWN, kA << 16, 0}};
  const std::string path = dir.File("s.tgi");
  ASSERT_FALSE(SavePerformanceFile(take.data(), 1, 1297, 0, path));
  SessionRig closed(false, path);
  EXPECT_EQ(closed.session.Events().count(), 1u);
  EXPECT_TRUE(closed.screen.timers.empty());
}

TEST(SessionPlayback, ClosingTheSwitchDuringPlaybackSkipsEventsButTheEndComes) {
  SessionRig rig;
  rig.RecordTake(30);
  rig.Command(IDM_PLAY);
  rig.Command(IDM_SWITCH_CLOSE);
  rig.device->Clear();
  ASSERT_TRUE(rig.PlayToTheEnd());
  EXPECT_TRUE(rig.device->Words().empty());
  EXPECT_EQ(rig.Enables(), kReady);
  EXPECT_TRUE(rig.screen.Checked(IDM_SWITCH_CLOSE));
}

TEST(SessionDevices, ChoosingTheOpenDeviceReopensItWithBothProgramChanges) {
  SessionRig rig;
  rig.Command(IDM_INSTRUMENT_BASE + 19);
  rig.device->Clear();
  rig.Command(IDM_DEVICE_BASE);
  EXPECT_EQ(rig.device->OpenCount(), 2);
  EXPECT_EQ(rig.device->Words().back(), ShortMessageWord(0xC0, 15, 19, 0));
  EXPECT_TRUE(rig.screen.Checked(IDM_DEVICE_BASE));
  rig.Command(IDM_TRACK_BASE + 9);
  EXPECT_EQ(rig.session.PictureIndex(), 14);
  EXPECT_EQ(rig.session.TrackText(), "Track 10");
  EXPECT_TRUE(rig.screen.Checked(IDM_TRACK_BASE + 9));
  EXPECT_FALSE(rig.screen.Checked(IDM_TRACK_BASE));
  rig.Command(IDM_SWITCH_OPEN);  // already open: only a repaint
  EXPECT_EQ(rig.device->OpenCount(), 2);
}

TEST(SessionBars, VelocityStaysIn1To127AndTheBendIsSentOnlyWhileOpen) {
  SessionRig rig;
  rig.device->Clear();
  EXPECT_EQ(rig.session.Settings().velocity, 127);
  rig.session.StepVelocity(1);  // stays at 127
  EXPECT_EQ(rig.session.Settings().velocity, 127);
  rig.session.SetVelocity(5);
  rig.session.StepVelocity(-8);  // 1, not -3
  EXPECT_EQ(rig.session.Settings().velocity, 1);
  EXPECT_EQ(rig.session.VelocityText(), "1");
  EXPECT_TRUE(rig.device->Words().empty());

  EXPECT_EQ(rig.session.BendText(), "+0.00");
  rig.session.BendTo(16382);
  EXPECT_EQ(rig.session.BendText(), "+2.00");
  rig.session.ReleaseBend();
  EXPECT_EQ(rig.session.Bend(), kBendCentre);
  EXPECT_EQ(rig.device->Words(), (std::vector<uint32_t>{ShortMessageWord(0xE0, 0, 0x7E, 0x7F),
                                                        ShortMessageWord(0xE0, 0, 0x7F, 0x3F)}));
  rig.Command(IDM_SWITCH_CLOSE);
  rig.device->Clear();
  rig.session.BendTo(0);
  EXPECT_EQ(rig.session.BendText(), "-2.00");
  EXPECT_TRUE(rig.device->Words().empty());
}

TEST(SessionBars, ArrowAndPageKeysStepTheForceAndPlayNothing) {
  SessionRig rig;
  rig.device->Clear();
  const uint32_t extended = kKeyDataExtendedBit;
  const std::pair<uint32_t, int32_t> steps[] = {{80, 126}, {81, 118}, {73, 126}, {72, 127}};
  for (const auto& [scanCode, velocity] : steps) {
    rig.session.Key(WM_KEYDOWN, KeyDataOfScanCode(scanCode) | extended, {});
    rig.session.Key(WM_KEYUP, KeyDataOfScanCode(scanCode) | extended | kKeyDataReleaseBits, {});
    EXPECT_EQ(rig.session.Settings().velocity, velocity) << scanCode;
  }
  rig.session.Key(WM_KEYDOWN, KeyDataOfScanCode(80), {});  // the keypad's 2: no step
  EXPECT_EQ(rig.session.Settings().velocity, 127);
  EXPECT_TRUE(rig.device->Words().empty());
}

// Kits lie at programs 1, 9, 17, 25, 26, 33, 41, 49 and 57 of a synthesizer's
// panel; between them a synthesizer plays its Standard Kit.
TEST(SessionInstruments, TheDrumTrackNamesTheKitOfItsProgram) {
  SessionRig rig;
  rig.session.OnCommand(IDM_INSTRUMENT_BASE + 25);
  EXPECT_EQ(rig.session.SignatureText(), "Acoustic Guitar (steel)    1=C");
  rig.session.OnCommand(IDM_TRACK_BASE + kPercussionChannel);
  EXPECT_EQ(rig.session.SignatureText(), "TR-808 Kit    1=C");
  const std::pair<int32_t, const char*> kits[] = {
      {0, "Standard Kit"}, {8, "Room Kit"}, {9, "Standard Kit"}, {56, "SFX Kit"}, {127, "Standard Kit"}};
  for (const auto& [program, kit] : kits) {
    rig.session.OnCommand(IDM_INSTRUMENT_BASE + program);
    EXPECT_EQ(rig.session.SignatureText(), std::string(kit) + "    1=C") << program;
  }
}

TEST(SessionActivity, RecordingCountsTimeAndNotesPlayingSaysHowAndAnUnsavedTakeIsMarked) {
  SessionRig rig;
  EXPECT_EQ(std::string(rig.session.ActivityText().format), "");
  rig.Command(IDM_RECORD);
  for (uint32_t key : {30u, 31u}) {
    rig.now += 32'000;
    rig.Press(key);
    rig.Release(key);
  }
  const ShownText recording = rig.session.ActivityText();
  EXPECT_EQ(std::string(recording.format), "Recording: %1, notes: %2");
  EXPECT_EQ(recording.arguments, (std::vector<std::string>{"1:04", "2"}));
  rig.Command(IDM_END_RECORD);
  EXPECT_EQ(std::string(rig.session.ActivityText().format), "Take not saved");
  rig.Command(IDM_CIRCLE_PLAY);
  EXPECT_EQ(std::string(rig.session.ActivityText().format), "Playing in a loop");
  rig.Command(IDM_END_PLAY);
  rig.Command(IDM_PLAY);
  EXPECT_EQ(std::string(rig.session.ActivityText().format), "Playing once");
  rig.Command(IDM_END_PLAY);
}

TEST(SessionDeviceReports, ALostOutputShowsUntilBackOrClosedAndAChangedSoundFontIsSaidOnce) {
  ShownDeviceReports reports;  // outlives the session, as in the program
  SessionRig rig;
  rig.session.ListenTo(reports);
  const auto activity = [&rig] {
    const ShownText shown = rig.session.ActivityText();
    return std::string(shown.format) + (shown.arguments.empty() ? "" : "|" + shown.arguments[0]);
  };
  // Reports come from the output's own thread and wait for the UI thread.
  std::thread([&reports] {
    reports.Report(Fail(FailureKind::SoundOutputLost, "pulse", ECONNREFUSED));
  }).join();
  EXPECT_EQ(activity(), "");
  rig.screen.RunPosted();
  EXPECT_EQ(activity(), "Sound output lost: %1, no sound server is running|pulse");
  rig.RecordTake();  // the silence matters more than the take's progress
  EXPECT_EQ(activity(), "Sound output lost: %1, no sound server is running|pulse");
  reports.Tell({NewsKind::SoundOutputBack, "pipewire"});
  rig.screen.RunPosted();
  EXPECT_EQ(activity(), "Take not saved");

  reports.Report(Fail(FailureKind::SoundOutputLost, ""));
  rig.screen.RunPosted();
  EXPECT_EQ(activity(), "Sound output lost");
  rig.Command(IDM_SWITCH_CLOSE);
  EXPECT_EQ(activity(), "Take not saved");
  reports.Report(Fail(FailureKind::SoundOutputLost, "pulse"));  // queued from the closed output
  rig.screen.RunPosted();
  EXPECT_EQ(activity(), "Take not saved");

  ASSERT_TRUE(rig.screen.boxes.empty());
  reports.Tell({NewsKind::SoundFontChanged, "/sf/TimGM6mb.sf2"});
  rig.screen.RunPosted();
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  EXPECT_EQ(rig.screen.boxes[0].icon, MessageIcon::Warning);
  EXPECT_NE(rig.screen.boxes[0].text.find("The SoundFont /sf/TimGM6mb.sf2 changed on disk"),
            std::string::npos);
}

TEST(SessionDeviceReports, ReportsAfterTheSessionWentReachNothing) {
  ScriptedScreen screen;
  DeviceSet devices;
  devices.Add(std::make_unique<CaptureDevice>("Capture", true));
  ShownDeviceReports reports;
  {
    Session session(devices, screen, nullptr, 8, 16);
    session.ListenTo(reports);
    reports.Tell({NewsKind::SoundFontChanged, "/sf/a.sf2"});  // queued, not yet run
  }
  reports.Tell({NewsKind::SoundFontChanged, "/sf/b.sf2"});  // only said
  screen.RunPosted();
  EXPECT_TRUE(screen.boxes.empty());
}

TEST(SessionKeys, TheMouseAndEscapeGoThroughTheSameRoadAsKeys) {
  SessionRig rig;
  rig.device->Clear();
  const PixelPoint o = rig.session.Layout().keyboardOrigin;
  rig.session.MousePress(o.x + 2 * 19 + 5, o.y + 2 * 39 + 5, Modifiers{true, false});  // A
  rig.session.MouseRelease({});
  rig.session.MouseRelease({});  // nothing held: nothing happens
  rig.Press(kA);
  rig.session.Key(WM_KEYDOWN, KeyDataOfScanCode(1) | 1, {});
  const auto words = rig.device->Words();
  ASSERT_EQ(words.size(), 3u + 16u);
  EXPECT_EQ(words[0], NoteOn(0, 72));
  EXPECT_EQ(words[1], NoteOff(0, 72));
  EXPECT_EQ(words[2], NoteOn(0, 60));
  rig.session.Key(WM_KEYDOWN, KeyDataOfScanCode(kS) | 1, {}, /*altHeld=*/true);
  EXPECT_EQ(rig.device->Words().size(), words.size());
}

TEST(SessionHelp, HelpAndAboutAskTheScreen) {
  SessionRig rig;
  rig.Command(IDM_HELP);
  rig.Command(IDM_ABOUT);
  EXPECT_EQ(rig.screen.help, (std::vector<std::string>{"default.htm"}));
  EXPECT_EQ(rig.screen.abouts, 1);
  const int repaints = rig.screen.repaints;
  rig.Command(1400);  // no command: only a repaint
  EXPECT_EQ(rig.screen.repaints, repaints + 1);
}

}  // namespace
}  // namespace tangrel::testing
