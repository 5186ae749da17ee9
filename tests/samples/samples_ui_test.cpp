// Recording, adjusting and playing samples through the handset, its dialogs and the wave device,
// over the virtual drive on the virtual clock.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <thread>

#include "catalogue/catalogue_check.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "samples/adjust_dialog.h"
#include "samples/record_dialog.h"
#include "samples/sample_list.h"
#include "samples/select_play_dialog.h"
#include "store/block_file/vlf.h"
#include "tests/samples/wave_test_support.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/user_input.h"
#include "ui_select_play_dialog.h"
#include "widgets/help_window.h"

namespace snx::test {
namespace {

constexpr const char* kQuestion = "Save Wave as disk sample?";

class SamplesTest : public HandsetFixture {
  protected:
    ~SamplesTest() override {
        // The window uses the recording dialog below, which goes first.
        if (window) {
            window->close();
        }
        window.reset();
    }

    // The handset with the real recorder as its recording hook, a disc of count 20-second
    // tracks in the drive, its first tick taken.
    void Start(int count) {
        std::vector<TestTrack> tracks;
        for (int i = 1; i <= count; ++i) {
            tracks.push_back(Track(0, 20));
        }
        LoadTracks(tracks, {"Album", "", ""});
        device.emplace(drives);
        wave.emplace(waveBackend, *device, device->LastError);
        wave->WhileWaiting = [this] { clock.Advance(10'000); };
        window.emplace(*device, catalogue, record, *wave, false);
        window->UseRecordDialog(record);
        window->show();
        Tick();
    }
    PlayerEngine& Engine() { return window->Engine(); }
    // Lets the disc play, ticking as the handset does while recording, until done() holds.
    template <typename Done>
    void PlayUntil(Done done) {
        for (int i = 0; i < 4000 && !done(); ++i) {
            clock.Advance(50'000);
            KeepUp();
            Tick();
        }
        ASSERT_TRUE(done());
    }
    // Real time gives the recorder's worker the time the disc took to play; the virtual clock
    // does not wait for it, and would otherwise outrun it on a busy machine.
    void KeepUp() {
        while (waveBackend.RecordingBacklog() > 0) {
            std::this_thread::yield();
        }
    }
    // Opens the recording dialog by the handset's letter and starts recording from it.
    void StartRecording(Boxes& boxes) {
        Activate(*window);
        boxes.Dialog<TfrmRecord>([](TfrmRecord&) { Alt('s'); });
        Alt('j');
        ASSERT_TRUE(boxes.Done());
    }
    // The adjust dialog opened from the recording dialog; act drives it, the message given
    // over it if any is answered, then both are closed.
    void Adjust(Boxes& boxes, std::function<void(TfrmAdjust&)> act, const char* message = nullptr) {
        Activate(*window);
        boxes.Dialog<TfrmRecord>([](TfrmRecord&) { Alt('a'); }).StaysOpen();
        boxes.Dialog<TfrmAdjust>(std::move(act));
        if (message != nullptr) {
            boxes.Notice(message).Over<TfrmAdjust>();
        }
        boxes.Dialog<TfrmRecord>([](TfrmRecord&) { Key(Qt::Key_Escape); });
        Alt('j');
        EXPECT_TRUE(boxes.Done());
    }
    std::filesystem::path Data(const char* name) { return dir.Path() / name; }
    // The disc's stored sample copied out to a file, and its data chunk.
    std::vector<std::uint8_t> StoredSample(std::int32_t address) {
        EXPECT_TRUE(ExtractSample(catalogue, address, Data("check.wav")));
        return DataChunk(ReadBytes(Data("check.wav")));
    }
    // Stores a disc record with this identity and name, its sample taken from file if given.
    void AddDisc(const std::string& identity, const std::string& name,
                 const std::filesystem::path& sample = {}) {
        DiscRecord disc;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        catalogue.LoadDiscRecord(identity, disc, tracks, memo, keys);
        disc.Name = name;
        if (!sample.empty()) {
            ASSERT_TRUE(catalogue.OpenDiscVlf());
            disc.SampleAddress = holder.Vlf.StoreFile(0, sample, kSampleBlockType);
            catalogue.CloseDiscVlf();
            ASSERT_NE(disc.SampleAddress, 0);
        }
        ASSERT_GT(catalogue.StoreDiscRecord(disc, tracks, memo, keys), 0);
    }

    SampleRecorder recorder{catalogue};
    TfrmRecord record{recorder};
};

TEST_F(SamplesTest, SampleTracksRecordsTheScanAndYesCataloguesTheDisc) {
    AppSettings().IntroTime = 0.02;  // two seconds of each track
    Start(3);
    ASSERT_EQ(Engine().Disc().Number(), 0) << "the disc is not catalogued yet";
    Boxes boxes(&*window);
    StartRecording(boxes);
    ASSERT_TRUE(recorder.RecordingActive());
    EXPECT_EQ(Engine().ModeLine(), "RECORDING...");
    EXPECT_EQ(Engine().State.Mode, PlayMode::Intro);
    EXPECT_EQ(Engine().TickInterval(), 50);
    const std::vector<std::uint8_t> header = ReadBytes(recorder.TargetFile());
    EXPECT_EQ(header.size(), 44u);
    EXPECT_EQ(GetU32(header, 24), 11025u);

    boxes.Question(kQuestion, true);
    PlayUntil([&] { return boxes.Done(); });
    EXPECT_FALSE(recorder.RecordingActive());
    EXPECT_EQ(Engine().TickInterval(), 1000);
    EXPECT_EQ(Engine().State.Mode, PlayMode::Disc);
    EXPECT_FALSE(std::filesystem::exists(recorder.TargetFile()));
    EXPECT_FALSE(std::filesystem::exists(recorder.SampleFile()));
    EXPECT_FALSE(wave->IsOpen());

    // Stored as the record of the disc, now catalogued, in a block the checker accepts.
    const std::int32_t address = Engine().Disc().Record().SampleAddress;
    ASSERT_NE(address, 0);
    EXPECT_GT(Engine().Disc().Number(), 0);
    EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
    EXPECT_EQ(CheckCatalogue(dir.Path()), std::vector<std::string>{});
    const std::optional<DiscRecord> stored = FindDiscRecord(catalogue, Engine().Disc().Identity());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->SampleAddress, address);
    // Two seconds of each of the three tracks, 11025 bytes a second; the seeks add nothing.
    EXPECT_NEAR(static_cast<double>(StoredSample(address).size()), 3 * 2 * 11025, 11025 / 4);
}

TEST_F(SamplesTest, TakingTheDiscOutEndsTheRecordingAndItsSampleStaysWithThatDisc) {
    AppSettings().IntroTime = 0.02;
    Start(3);
    const std::string first = Engine().Disc().Identity();
    Boxes boxes(&*window);
    StartRecording(boxes);
    ASSERT_TRUE(recorder.RecordingActive());
    clock.AdvanceSeconds(1);
    Tick();
    // The disc goes: play has ended, so the recording ends and is offered at once.
    boxes.Question(kQuestion, true);
    drives.VirtualDrive().OpenTray();
    Tick();
    EXPECT_TRUE(boxes.Done());
    EXPECT_FALSE(recorder.RecordingActive());
    EXPECT_EQ(Engine().TickInterval(), 1000);
    const std::optional<DiscRecord> stored = FindDiscRecord(catalogue, first);
    ASSERT_TRUE(stored);
    EXPECT_NE(stored->SampleAddress, 0);

    // The next disc is not recorded and not catalogued by it.
    ASSERT_TRUE(drives.VirtualDrive().Insert(
        GenerateImage(dir.Path(), "other", {Track(0, 5)}, {"Other", "", ""}).string()));
    Tick();
    const std::string second = Engine().Disc().Identity();
    ASSERT_NE(second, first);
    test::Click(Child<QToolButton>("btnPlay"));
    PlayUntil([&] { return device->GetMode() != CdMode::Playing; });
    EXPECT_FALSE(FindDiscRecord(catalogue, second));
    EXPECT_FALSE(Engine().Disc().Catalogued());
    EXPECT_EQ(FindDiscRecord(catalogue, first)->SampleAddress, stored->SampleAddress);
}

TEST_F(SamplesTest, NoOffersTheFileAndCancellingKeepsTheOldSample) {
    Start(2);
    Engine().State.BookmarkStart = device->TrackStart[1];
    Engine().State.BookmarkEnd = PackMsf(0, MsfSeconds(device->TrackStart[1]) + 1, 0);
    // A first recording kept as the disc's sample.
    Boxes boxes(&*window);
    StartRecording(boxes);
    boxes.Question(kQuestion, true);
    PlayUntil([&] { return boxes.Done(); });
    const std::int32_t kept = Engine().Disc().Record().SampleAddress;
    ASSERT_NE(kept, 0);

    // Saved elsewhere.
    int asked = 0;
    recorder.AskSaveName = [&]() -> std::optional<std::string> {
        ++asked;
        return Data("mine.wav").string();
    };
    StartRecording(boxes);
    boxes.Question(kQuestion, false);
    PlayUntil([&] { return asked == 1; });
    const std::vector<std::uint8_t> saved = ReadBytes(Data("mine.wav"));
    ASSERT_GT(saved.size(), 44u);
    EXPECT_EQ(GetU32(saved, 4), saved.size() - 8);

    // Discarded: nothing stored, the device closed, the temporary file gone.
    recorder.AskSaveName = [&]() -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    };
    StartRecording(boxes);
    boxes.Question(kQuestion, false);
    PlayUntil([&] { return asked == 2; });
    EXPECT_EQ(Engine().Disc().Record().SampleAddress, kept);
    EXPECT_EQ(FindDiscRecord(catalogue, Engine().Disc().Identity())->SampleAddress, kept);
    EXPECT_FALSE(wave->IsOpen());
    EXPECT_FALSE(std::filesystem::exists(recorder.TargetFile()));
}

TEST_F(SamplesTest, StopEndsABookmarkRecordingAtOnceAndAsksOnce) {
    Start(2);
    Engine().State.BookmarkStart = device->TrackStart[1];
    Engine().State.BookmarkEnd = FramesToMsf(MsfToFrames(device->TrackStart[1]) + 150);
    recorder.AskSaveName = [] { return std::nullopt; };
    test::Activate(*window);
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmRecord>([](TfrmRecord& dialog) {
        auto* book = dialog.findChild<QRadioButton*>(QStringLiteral("rbBook"));
        EXPECT_TRUE(book->isEnabled());
        EXPECT_TRUE(book->isChecked()) << "a marked bookmark is what gets recorded";
        test::Click(dialog.findChild<QPushButton*>(QStringLiteral("btnStart")));
    });
    test::Alt('j');
    ASSERT_TRUE(boxes.Done());
    ASSERT_TRUE(recorder.RecordingActive());
    EXPECT_EQ(Engine().State.Mode, PlayMode::Disc);
    clock.AdvanceSeconds(1);
    // The disc is stopped before the question, so while it is up the end of the bookmark, ticks
    // later, ends nothing a second time.
    boxes.Question(kQuestion, false).After(Child<QTimer>("Timer"), 3, [this] {
        clock.Advance(500'000);
    });
    test::Menu(*window, "os");
    EXPECT_TRUE(boxes.Done());
    EXPECT_FALSE(recorder.RecordingActive());
    EXPECT_NE(device->GetMode(), CdMode::Playing);
    EXPECT_EQ(Engine().State.Mode, PlayMode::Disc);
}

TEST_F(SamplesTest, WithoutABookmarkOnlyTheTracksCanBeRecorded) {
    Start(1);
    Activate(*window);
    Boxes boxes(&*window);
    boxes.Dialog<TfrmRecord>([](TfrmRecord& dialog) {
        for (const char* name : {"rbBook", "btnAdjust", "btnPrev"}) {
            EXPECT_FALSE(dialog.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled())
                << name;
        }
        EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("rbTracks"))->isChecked());
        EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("rb11"))->isChecked());
        EXPECT_EQ(dialog.Options().Format, (WaveFormat{11025, 8, 1}));
        EXPECT_EQ(HelpContextOf(&dialog), 1043);
        Key(Qt::Key_Escape);
    });
    Alt('j');
}

TEST_F(SamplesTest, AnUnwritableTargetStartsNothing) {
    Start(1);
    std::filesystem::create_directory(recorder.TargetFile());  // a file cannot take its place
    const PlayMode before = Engine().State.Mode;
    {
        // The dialog stays open over the error, for another choice.
        Activate(*window);
        Boxes boxes(&*window);
        boxes.Dialog<TfrmRecord>([](TfrmRecord&) { Alt('s'); }).StaysOpen();
        boxes.Notice("Cannot open file").Over<TfrmRecord>();
        boxes.Dialog<TfrmRecord>([](TfrmRecord&) { Key(Qt::Key_Escape); });
        Alt('j');
    }
    EXPECT_FALSE(recorder.RecordingActive());
    EXPECT_FALSE(wave->IsOpen());
    EXPECT_EQ(Engine().State.Mode, before);
    EXPECT_NE(device->GetMode(), CdMode::Playing);
}

TEST_F(SamplesTest, AdjustAcceptsAMomentAndItsSpinnerStepsTheFieldEnteredLast) {
    Start(2);
    const Msf track1 = device->TrackStart[1];
    Engine().State.BookmarkStart = FramesToMsf(MsfToFrames(track1) + 750);
    Engine().State.BookmarkEnd = FramesToMsf(MsfToFrames(track1) + 1500);
    // An end equal to the start is taken.
    Boxes boxes(&*window);
    Adjust(boxes, [](TfrmAdjust& adjust) {
        EXPECT_EQ(adjust.Fields(), (BookmarkFields{{0, 10, 0}, {0, 20, 0}}));
        Alt('e');  // the end's minutes
        Key(Qt::Key_Tab);
        Type(QStringLiteral("10"));
        Key(Qt::Key_Return);
    });
    EXPECT_EQ(Engine().State.BookmarkEnd, FramesToMsf(MsfToFrames(track1) + 750));

    // The spinner's arrow, clicked, steps the field entered last; the handset opens the same
    // recording dialog again.
    Adjust(boxes, [](TfrmAdjust& adjust) {
        Alt('e');
        Key(Qt::Key_Tab);
        EXPECT_EQ(adjust.SpinnerTarget(), adjust.FieldBoxes()[4]);
        auto* spinner = adjust.findChild<QSpinBox*>(QStringLiteral("OvcSpinner1"));
        QTest::mouseClick(spinner, Qt::LeftButton, Qt::NoModifier,
                          QPoint(spinner->width() - 4, spinner->height() / 4));
        EXPECT_EQ(adjust.Fields().End, (MsfFields{0, 11, 0}));
        Key(Qt::Key_Escape);
    });
}

TEST_F(SamplesTest, AnEndBeforeTheStartIsRefusedOverTheAdjustDialogAndStoredAllTheSame) {
    Start(2);
    const Msf track1 = device->TrackStart[1];
    Engine().State.BookmarkStart = FramesToMsf(MsfToFrames(track1) + 750);
    Engine().State.BookmarkEnd = FramesToMsf(MsfToFrames(track1) + 1500);
    test::Activate(*window);
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmRecord>([](TfrmRecord&) { test::Alt('a'); }).StaysOpen();
    boxes.Dialog<TfrmAdjust>([](TfrmAdjust&) {
        test::Alt('e');  // the end's minutes
        test::Key(Qt::Key_Tab);
        test::Type(QStringLiteral("05"));
        test::Key(Qt::Key_Return);
    });
    boxes.StaysOpen();
    boxes.Notice("Start position is after end position.").Over<TfrmAdjust>();
    boxes.Dialog<TfrmAdjust>([](TfrmAdjust&) { test::Key(Qt::Key_Escape); });
    boxes.Dialog<TfrmRecord>([](TfrmRecord&) { test::Key(Qt::Key_Escape); });
    test::Alt('j');
    EXPECT_TRUE(boxes.Done());
    EXPECT_EQ(Engine().State.BookmarkEnd, FramesToMsf(MsfToFrames(track1) + 375));
}

TEST_F(SamplesTest, ARepeatThatTurnsInvalidStopsWithOneMessage) {
    Start(2);
    Engine().State.BookmarkStart = device->TrackStart[1];
    Engine().State.BookmarkEnd = FramesToMsf(MsfToFrames(device->TrackStart[1]) + 75);
    // An end before the start, played out: the next tick says so once and stops.
    constexpr const char* kAfter = "Start position is after end position.";
    Boxes boxes(&*window);
    Adjust(
        boxes,
        [this](TfrmAdjust& adjust) {
            auto* repeat = adjust.findChild<QPushButton*>(QStringLiteral("btnRepeat"));
            QTimer* timer = nullptr;
            for (QTimer* each : adjust.findChildren<QTimer*>()) {
                timer = each->interval() == 1000 ? each : timer;
            }
            ASSERT_NE(timer, nullptr) << "no one-second repeat timer";
            Alt('r');
            EXPECT_TRUE(timer->isActive());
            EXPECT_EQ(repeat->text(), QStringLiteral("&Stop preview"));
            EXPECT_EQ(device->GetMode(), CdMode::Playing);
            // Played out and started again by the next tick of the repeat.
            clock.AdvanceSeconds(1.5);
            EXPECT_NE(device->GetMode(), CdMode::Playing);
            QSignalSpy ticks(timer, &QTimer::timeout);
            ASSERT_TRUE(ticks.wait());
            EXPECT_EQ(device->GetMode(), CdMode::Playing);

            Alt('e');
            Key(Qt::Key_Tab);
            Type(QStringLiteral("01"));
            // While it repeats, S is the button's ("Stop preview"): T reaches the start.
            Alt('t');
            EXPECT_EQ(QApplication::focusWidget(), adjust.FieldBoxes()[0]);
            Key(Qt::Key_Tab);
            Type(QStringLiteral("05"));
            clock.AdvanceSeconds(1.5);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }));
            EXPECT_EQ(repeat->text(), QStringLiteral("&Repeat preview"));
            Activate(adjust);  // as the window system does when the message closes
            Key(Qt::Key_Escape);
        },
        kAfter);
}

TEST_F(SamplesTest, SelectPlayListsTheCatalogueAndFollowsAndMovesThePlayback) {
    // 12.5 s of silence, mono 8 bits at 11025.
    WriteWave(Data("long.wav"), {11025, 8, 1}, std::vector<std::uint8_t>(137813, 128));
    AddDisc("BBBB", "Beta");
    AddDisc("0123456789ABCDEF", "Gamma", Data("long.wav"));
    AddDisc("AAAA", "Alpha");
    Start(1);
    Activate(*window);
    Boxes boxes(&*window);
    boxes.Dialog<TfrmSelectPlay>([this](TfrmSelectPlay& dialog) {
        Ui::TfrmSelectPlay& form = dialog.Form();
        EXPECT_EQ(HelpContextOf(&dialog), 1038);
        ASSERT_EQ(form.lbDisc->count(), 3);
        EXPECT_EQ(form.lbDisc->item(0)->text(), QStringLiteral("Alpha"));
        EXPECT_EQ(form.lbDisc->item(2)->text(), QStringLiteral("Gamma"));
        EXPECT_FALSE(form.btnStop->isEnabled());

        // No disc chosen, then one without a sample; each message closes back to the list.
        Alt('s');
        Activate(dialog);
        Alt('k');
        Key(Qt::Key_Home);
        Key(Qt::Key_Space);
        Alt('s');
        Activate(dialog);
        EXPECT_FALSE(wave->IsOpen());

        Alt('k');
        Key(Qt::Key_End);
        Alt('s');
        ASSERT_TRUE(wave->IsOpen());
        EXPECT_EQ(form.labEnd->text(), QStringLiteral(" 12.50"));
        EXPECT_EQ(form.trBar->minimum(), 0);
        EXPECT_EQ(form.trBar->maximum(), 12);
        EXPECT_TRUE(form.btnStop->isEnabled());

        clock.AdvanceSeconds(2.5);
        QSignalSpy ticks(dialog.Timer(), &QTimer::timeout);
        ASSERT_TRUE(ticks.wait());
        EXPECT_EQ(form.trBar->value(), 2);
        EXPECT_NEAR(static_cast<double>(wave->GetWavePosition()), 2500, 150)
            << "the timer's own move does not restart the wave";
        // The bar, reached by Tab, moves the playback a second a step.
        for (int i = 0; i < 12 && QApplication::focusWidget() != form.trBar; ++i) {
            Key(Qt::Key_Tab);
        }
        ASSERT_EQ(QApplication::focusWidget(), form.trBar);
        for (int i = 0; i < 3; ++i) {
            Key(Qt::Key_Right);
        }
        EXPECT_EQ(wave->GetWavePosition(), 5000);
        clock.AdvanceSeconds(1);
        EXPECT_NEAR(static_cast<double>(wave->GetWavePosition()), 6000, 150);

        Alt('o');
        EXPECT_FALSE(wave->IsOpen()) << "closing while playing closes the device";
        EXPECT_TRUE(form.labEnd->text().isEmpty());
    });
    boxes.Notice("Please select a disc whose sample is to be played.").Over<TfrmSelectPlay>();
    boxes.Notice("Selected disk does not have a recorded sample.").Over<TfrmSelectPlay>();
    Alt('y');
}

TEST_F(SamplesTest, TheEditorsSampleIsHeardThroughTheWaveDevice) {
    WriteWave(Data("short.wav"), {8000, 8, 1}, std::vector<std::uint8_t>(8000, 128));
    Start(1);
    ASSERT_TRUE(catalogue.OpenDiscVlf());
    const std::int32_t address = holder.Vlf.StoreFile(0, Data("short.wav"), kSampleBlockType);
    catalogue.CloseDiscVlf();
    Engine().Disc().Store([address](DiscTables& disc) { disc.Record.SampleAddress = address; },
                          StoreWhen::Catalogued);
    const Micros before = clock.Now();
    Activate(*window);
    Boxes boxes(&*window);
    boxes.Dialog<TfrmCDData>([&](TfrmCDData&) {
        Alt('s');
        EXPECT_GE(clock.Now() - before, 1'000'000) << "the whole second was played";
        EXPECT_FALSE(wave->IsOpen());
        Key(Qt::Key_Escape);
    });
    Key(Qt::Key_D, Qt::ControlModifier);
}

TEST_F(SamplesTest, TheProbeLeavesRecordingToAnOpenDrive) {
    NoDrives none;
    device.emplace(none);
    wave.emplace(waveBackend, *device, device->LastError);
    window.emplace(*device, catalogue, record, *wave, false);
    window->show();
    EXPECT_FALSE(Enabled("btnSample"));
    EXPECT_TRUE(Enabled("btnPlaySamp"));
    EXPECT_FALSE(wave->IsOpen());
    EXPECT_EQ(messages.Errors(), std::vector<std::string>{"There is no CD drive."});
    window->close();
    window.reset();

    Start(1);
    EXPECT_TRUE(Enabled("btnSample"));
    EXPECT_EQ(Child<QToolButton>("btnSample")->toolTip(),
              QStringLiteral("Record a sample from the disc."));
}

}  // namespace
}  // namespace snx::test
