#include "samples/wave_device.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/samples/wave_fixture.h"

namespace snx::test {
namespace {

TEST(WaveHeaderTemplate, DeclaresTheFormatWithAnEmptyDataChunk) {
    const WaveHeader stereo = WaveHeaderTemplate({22050, 16, 2});
    const std::vector<std::uint8_t> expected = {
        'R',  'I',  'F',  'F', 36,  0,   0,   0,   'W', 'A', 'V',  'E',  'f', 'm',
        't',  ' ',  16,   0,   0,   0,   1,   0,   2,   0,   0x22, 0x56, 0,   0,  // 22050
        0x88, 0x58, 0x01, 0,  // 88200 bytes per second
        4,    0,    16,   0,   'd', 'a', 't', 'a', 0,   0,   0,    0};
    EXPECT_EQ(std::vector<std::uint8_t>(stereo.begin(), stereo.end()), expected);

    const WaveHeader mono = WaveHeaderTemplate({11025, 8, 1});
    EXPECT_EQ(GetU16(mono, 22), 1);
    EXPECT_EQ(GetU32(mono, 24), 11025u);
    EXPECT_EQ(GetU32(mono, 28), 11025u);
    EXPECT_EQ(GetU16(mono, 32), 1);
    EXPECT_EQ(GetU16(mono, 34), 8);
}

TEST(EncodeSamples, EightBitIsUnsignedAndRoundedSixteenIsLittleEndian) {
    const std::vector<std::int16_t> samples = {0, -32768, 32767, 127, 128, -129};
    EXPECT_EQ(EncodeSamples({11025, 8, 1}, samples),
              (std::vector<std::uint8_t>{128, 0, 255, 128, 129, 127}));
    EXPECT_EQ(EncodeSamples({11025, 16, 1}, std::vector<std::int16_t>{0x1234, -2}),
              (std::vector<std::uint8_t>{0x34, 0x12, 0xFE, 0xFF}));
}

TEST_F(WaveTest, EveryCheckedOperationRefusesAClosedDevice) {
    const auto expectNotOpen = [](auto&& operation) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const EMCIDeviceError& error) {
            EXPECT_STREQ(error.what(), "Wave device not open");
        }
    };
    expectNotOpen([&] { wave.StartRecording(); });
    expectNotOpen([&] { wave.SaveWave(File("never.wav").string()); });
    expectNotOpen([&] { wave.PlayWave(false); });
    expectNotOpen([&] { wave.PlayWaveFrom(10); });
    expectNotOpen([&] { wave.GetWaveLength(); });
    expectNotOpen([&] { wave.GetWavePosition(); });
    EXPECT_FALSE(std::filesystem::exists(File("never.wav")));
    // Those that do not check are harmless when closed.
    wave.StopWave();
    wave.CloseWave();
    EXPECT_EQ(tick, 1000);
}

TEST_F(WaveTest, OpeningReadsTheCapabilitiesAndAgainClosesTheFirstElement) {
    WriteWave(File("a.wav"), {11025, 8, 1}, std::vector<std::uint8_t>(11025, 128));
    WriteWave(File("b.wav"), {22050, 16, 2}, std::vector<std::uint8_t>(88200 / 2, 0));
    wave.OpenWave(File("a.wav").string());
    ASSERT_TRUE(wave.IsOpen());
    EXPECT_TRUE(wave.CanPlay);
    EXPECT_FALSE(wave.CanRecord) << "no CD device is open";
    EXPECT_EQ(wave.GetWaveLength(), 1000);
    const std::uint16_t first = wave.DeviceId();

    Insert({Track(0, 10)});
    wave.OpenWave(File("b.wav").string());
    EXPECT_NE(wave.DeviceId(), first);
    EXPECT_TRUE(wave.CanRecord) << "the disc stream is the source";
    EXPECT_EQ(backend.Format(), (WaveFormat{22050, 16, 2}));
    EXPECT_EQ(wave.GetWaveLength(), 500);

    wave.CloseWave();
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_EQ(wave.DeviceId(), 0);
}

TEST_F(WaveTest, AFileThatIsNoWaveLeavesTheDeviceClosed) {
    std::ofstream(File("text.wav")) << "not a wave file at all, just words";
    WriteWave(File("good.wav"), {8000, 8, 1}, std::vector<std::uint8_t>(800, 128));
    wave.OpenWave(File("good.wav").string());
    wave.OpenWave(File("text.wav").string());
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_NE(lastError, 0u);
    wave.OpenWave(File("missing.wav").string());
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_TRUE(messages.Messages().empty()) << "a refused open shows nothing";
}

TEST_F(WaveTest, SavingWritesACompleteFileAndAFailureKeepsTheElement) {
    std::vector<std::uint8_t> data(1001);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7);
    }
    WriteWave(File("odd.wav"), {5510, 8, 1}, data);
    wave.OpenWave(File("odd.wav").string());
    wave.SaveWave(File("copy.wav").string());
    const std::vector<std::uint8_t> saved = ReadBytes(File("copy.wav"));
    ASSERT_GE(saved.size(), 44u);
    EXPECT_EQ(GetU32(saved, 4), saved.size() - 8) << "RIFF length";
    EXPECT_EQ(DataChunk(saved), data);
    EXPECT_EQ(GetU32(saved, 24), 5510u);
    // Saved over a link: the file it leads to is replaced and the link stays.
    std::filesystem::create_symlink(File("copy.wav"), File("linked.wav"));
    wave.SaveWave(File("linked.wav").string());
    EXPECT_TRUE(std::filesystem::is_symlink(File("linked.wav")));
    EXPECT_EQ(ReadBytes(File("copy.wav")), saved);

    wave.SaveWave((dir.Path() / "no such folder" / "x.wav").string());
    EXPECT_EQ(messages.Errors(), std::vector<std::string>{"Error saving file"});
    EXPECT_TRUE(wave.IsOpen());
    EXPECT_EQ(wave.GetWaveLength(), 1001 * 1000 / 5510);
}

TEST_F(WaveTest, PlayingWithWaitReturnsOnceEveryFormatHasBeenHeard) {
    for (const WaveFormat format : {WaveFormat{4000, 8, 1}, WaveFormat{11025, 16, 2},
                                    WaveFormat{44100, 16, 1}, WaveFormat{48000, 8, 2}}) {
        SCOPED_TRACE(format.Rate);
        // Half a second of a 440 Hz tone.
        std::vector<std::int16_t> tone(static_cast<std::size_t>(format.Rate / 2 * format.Channels));
        for (std::size_t i = 0; i < tone.size(); ++i) {
            const double t =
                static_cast<double>(i / static_cast<std::size_t>(format.Channels)) / format.Rate;
            tone[i] = static_cast<std::int16_t>(10000 * std::sin(2 * M_PI * 440 * t));
        }
        WriteWave(File("tone.wav"), format, EncodeSamples(format, tone));
        wave.OpenWave(File("tone.wav").string());
        ASSERT_TRUE(wave.IsOpen());
        played = 0;
        const Micros before = clock.Now();
        EXPECT_EQ(wave.PlayWave(true), 0u);
        EXPECT_EQ(wave.GetWavePosition(), wave.GetWaveLength());
        EXPECT_EQ(wave.GetWaveLength(), format.Rate / 2 * 1000 / format.Rate);
        // At the output's rate, within the resampler's edges.
        EXPECT_NEAR(static_cast<double>(played), 22050, 64);
        EXPECT_GE(clock.Now() - before, 500'000);
        wave.CloseWave();
    }
}

TEST_F(WaveTest, PositionsFollowWhatIsHeardAndPlayFromRestarts) {
    // 12.5 s of silence, mono 8 bits at 11025.
    WriteWave(File("long.wav"), {11025, 8, 1}, std::vector<std::uint8_t>(137812, 128));
    wave.OpenWave(File("long.wav").string());
    EXPECT_EQ(wave.GetWaveLength(), 12499);
    wave.PlayWave(false);
    clock.AdvanceSeconds(2);
    EXPECT_NEAR(static_cast<double>(wave.GetWavePosition()), 2000, 150);
    wave.PlayWaveFrom(5000);
    EXPECT_EQ(wave.GetWavePosition(), 5000);
    clock.AdvanceSeconds(1);
    EXPECT_NEAR(static_cast<double>(wave.GetWavePosition()), 6000, 150);
    clock.AdvanceSeconds(10);
    EXPECT_EQ(wave.GetWavePosition(), wave.GetWaveLength());
}

}  // namespace
}  // namespace snx::test
