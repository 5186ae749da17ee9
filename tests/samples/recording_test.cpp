#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "samples/disc_recorder.h"
#include "tests/samples/wave_fixture.h"
#include "tests/support/demo_image.h"

namespace snx::test {
namespace {

class RecordingTest : public WaveTest {
  protected:
    void InsertDemo() {
        ASSERT_TRUE(drives.VirtualDrive().Insert(DemoImage().string()));
        device.OpenDrive(drives.VirtualDriveIndex());
        ASSERT_TRUE(device.IsOpen());
    }
    // Opens the element on an empty file of the format and starts recording.
    void StartIn(const WaveFormat& format) {
        WriteHeaderOnly(File("$temp.wav"), format);
        wave.OpenWave(File("$temp.wav").string());
        ASSERT_TRUE(wave.IsOpen());
        wave.StartRecording();
    }
    // The bytes of the disc over [from, to), read from the image's .bin.
    std::vector<std::uint8_t> DiscBytes(Lba from, Lba to) {
        std::filesystem::path bin = DemoImage();
        bin.replace_extension(".bin");
        const std::vector<std::uint8_t> all = ReadBytes(bin);
        const Lba first = MsfToLba(Start(1));
        const auto begin = static_cast<std::size_t>(from - first) * kBytesPerSector;
        const auto end = static_cast<std::size_t>(to - first) * kBytesPerSector;
        EXPECT_LE(end, all.size());
        return {all.begin() + static_cast<std::ptrdiff_t>(begin),
                all.begin() + static_cast<std::ptrdiff_t>(std::min(end, all.size()))};
    }
    std::vector<std::uint8_t> SavedData() {
        wave.SaveWave(File("out.wav").string());
        return DataChunk(ReadBytes(File("out.wav")));
    }
};

// The strongest frequency of a mono signal between 50 Hz and rate/2, by a plain DFT.
double PeakFrequency(const std::vector<double>& signal, int rate) {
    const std::size_t n = signal.size();
    double best = 0;
    double bestFrequency = 0;
    for (std::size_t k = n * 50 / static_cast<std::size_t>(rate); k < n / 2; ++k) {
        std::complex<double> sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += signal[i] *
                   std::polar(1.0, -2 * M_PI * static_cast<double>(k * i) / static_cast<double>(n));
        }
        if (std::abs(sum) > best) {
            best = std::abs(sum);
            bestFrequency = static_cast<double>(k) * rate / static_cast<double>(n);
        }
    }
    return bestFrequency;
}

TEST_F(RecordingTest, AFullVolumeCdQualityRecordingIsTheDiscSampleForSample) {
    InsertDemo();
    StartIn({44100, 16, 2});
    EXPECT_EQ(tick, 50);
    const Msf from = LbaToMsf(MsfToLba(Start(1)) + 300);
    const Msf to = LbaToMsf(MsfToLba(Start(1)) + 600);
    PlayThrough(from, to);
    wave.StopWave();
    const std::vector<std::uint8_t> recorded = SavedData();
    const std::vector<std::uint8_t> disc = DiscBytes(MsfToLba(from), MsfToLba(to));
    ASSERT_EQ(recorded.size(), disc.size());
    EXPECT_TRUE(recorded == disc);
}

TEST_F(RecordingTest, ALowRateMonoRecordingKeepsItsLengthAndPitch) {
    InsertDemo();
    StartIn({11025, 8, 1});
    const Lba from = MsfToLba(Start(1)) + 75;
    const Lba to = from + 5 * 75;
    PlayThrough(LbaToMsf(from), LbaToMsf(to));
    wave.StopWave();
    const std::vector<std::uint8_t> recorded = SavedData();
    // Five seconds, within one disc block of 588 frames (147 at this rate).
    EXPECT_NEAR(static_cast<double>(recorded.size()), 5 * 11025, 147);
    EXPECT_EQ(GetU16(ReadBytes(File("out.wav")), 34), 8);

    // The strongest tone of a stretch of it is that of the disc's own samples there.
    const std::vector<std::uint8_t> disc = DiscBytes(from, to);
    const std::size_t n = 2048;
    const std::size_t start = 11025;  // one second in
    std::vector<double> fromSample(n);
    std::vector<double> fromDisc(n);
    for (std::size_t i = 0; i < n; ++i) {
        fromSample[i] = recorded[start + i] - 128.0;
        // Every fourth pair of the disc, mean of left and right: the same instants at 11025.
        const std::size_t at = (start + i) * 4 * 4;
        fromDisc[i] = (GetI16(disc, at) + GetI16(disc, at + 2)) / 2.0;
    }
    const double expected = PeakFrequency(fromDisc, 11025);
    EXPECT_NEAR(PeakFrequency(fromSample, 11025), expected, 2 * 11025.0 / n);
    EXPECT_GT(expected, 60.0) << "the stretch holds music";
}

TEST_F(RecordingTest, NothingIsRecordedWhilePausedOrAfterTheStop) {
    InsertDemo();
    StartIn({22050, 16, 1});
    device.PlayRange(Start(1), Start(2));
    clock.AdvanceSeconds(1);
    device.Pause();
    clock.AdvanceSeconds(5);
    device.Resume({});
    clock.AdvanceSeconds(1);
    device.Stop();
    clock.AdvanceSeconds(3);
    wave.StopWave();
    const double seconds = static_cast<double>(wave.GetWaveLength()) / 1000;
    // Two seconds heard; the output's short buffer may have taken a little more each time.
    EXPECT_GT(seconds, 1.9);
    EXPECT_LT(seconds, 2.4);
    // Once stopped, the disc no longer feeds the element.
    device.PlayRange(Start(1), Start(2));
    clock.AdvanceSeconds(2);
    device.Stop();
    EXPECT_NEAR(static_cast<double>(wave.GetWaveLength()) / 1000, seconds, 1e-9);
}

TEST_F(RecordingTest, RecordingAgainStartsFromTheBeginningOfTheElement) {
    InsertDemo();
    StartIn({8000, 8, 1});
    PlayThrough(Start(1), LbaToMsf(MsfToLba(Start(1)) + 3 * 75));
    wave.StartRecording();
    PlayThrough(Start(1), LbaToMsf(MsfToLba(Start(1)) + 75));
    wave.StopWave();
    EXPECT_NEAR(static_cast<double>(wave.GetWaveLength()), 1000, 20);
}

TEST(DiscRecorder, AFullQueueDropsTheBlockAndReportsAnOverrun) {
    DiscRecorder fits({44100, 16, 2});
    const std::vector<std::int16_t> block(kSamplesPerFrame * 2, 7);
    fits.TakePcm(block);
    const DiscRecorder::Result kept = fits.Finish();
    EXPECT_FALSE(kept.Overrun);
    EXPECT_EQ(kept.Samples, block);

    DiscRecorder full({44100, 16, 2}, 0);
    full.TakePcm(block);
    const DiscRecorder::Result lost = full.Finish();
    EXPECT_TRUE(lost.Overrun);
    EXPECT_TRUE(lost.Samples.empty());
}

TEST(DiscRecorder, MonoIsTheMeanOfLeftAndRight) {
    DiscRecorder mono({44100, 16, 1});
    mono.TakePcm(std::vector<std::int16_t>{100, 300, -32768, -32768, 32767, 32765});
    EXPECT_EQ(mono.Finish().Samples, (std::vector<std::int16_t>{200, -32768, 32766}));
}

}  // namespace
}  // namespace snx::test
