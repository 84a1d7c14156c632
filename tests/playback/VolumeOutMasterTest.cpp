#include "playback/VolumeOutMaster.h"

#include "tests/support/PulseTestSupport.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace trevix {
namespace {

using namespace std::chrono_literals;

// The Qt application the registering thread needs for its event loop.
class QtApplication {
public:
    QtApplication() {
        if (QCoreApplication::instance() == nullptr)
            app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    }

private:
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

// Runs this thread's event loop until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// What the callbacks received, and on which thread.
struct Notices {
    std::mutex mutex;
    std::vector<int> percents;
    std::vector<int> soundOn;
    std::vector<std::uintptr_t> users;
    std::vector<std::thread::id> threads;

    void Register(CVolumeOutMaster& volume, std::uintptr_t user) {
        volume.SetVolumeCallback(
            [this](std::uint8_t percent, std::uintptr_t u) {
                const std::lock_guard guard(mutex);
                percents.push_back(percent);
                users.push_back(u);
                threads.push_back(std::this_thread::get_id());
            },
            user);
        volume.SetMuteCallback(
            [this](int on, std::uintptr_t u) {
                const std::lock_guard guard(mutex);
                soundOn.push_back(on);
                users.push_back(u);
                threads.push_back(std::this_thread::get_id());
            },
            user);
    }
    bool SawPercent(int percent) {
        const std::lock_guard guard(mutex);
        return std::find(percents.begin(), percents.end(), percent) != percents.end();
    }
    std::optional<int> LastSoundOn() {
        const std::lock_guard guard(mutex);
        return soundOn.empty() ? std::nullopt : std::optional<int>(soundOn.back());
    }
};

void ExpectUnusable(CVolumeOutMaster& volume) {
    EXPECT_EQ(volume.IsAvailable(), 0);
    EXPECT_EQ(volume.GetVolumePercent(), 0);
    EXPECT_EQ(volume.GetVolume(), CVolumeOutMaster::kNoValue);
    EXPECT_EQ(volume.GetMinimum(), CVolumeOutMaster::kNoValue);
    EXPECT_EQ(volume.GetMaximum(), CVolumeOutMaster::kNoValue);
    EXPECT_EQ(volume.GetStepCount(), CVolumeOutMaster::kNoValue);
    std::uint32_t muted = 7;
    EXPECT_EQ(volume.GetMute(muted), 0);
    EXPECT_EQ(muted, 7u);
    EXPECT_EQ(volume.SetMute(1), 0);
    volume.SetVolumePercent(50);
    volume.SetVolume(100);
    volume.SoundOn();
    volume.SoundOff();
    volume.SetVolumeCallback([](std::uint8_t, std::uintptr_t) {}, 1);
    volume.SetMuteCallback([](int, std::uintptr_t) {}, 1);
}

TEST(VolumeOutMaster, UnusableWithoutASoundServer) {
    test::TempDir dir;
    {
        const test::ScopedEnv server("PULSE_SERVER", "unix:" + dir.Str() + "/no-such-socket");
        CVolumeOutMaster volume;
        ExpectUnusable(volume);
    }
    const test::SilentSocket silent(dir.Str() + "/silent");
    ASSERT_TRUE(silent.IsListening());
    const test::ScopedEnv server("PULSE_SERVER", "unix:" + dir.Str() + "/silent");
    const auto before = std::chrono::steady_clock::now();
    CVolumeOutMaster volume;
    EXPECT_LT(std::chrono::steady_clock::now() - before, pulse::kServerTimeout + 3s);
    ExpectUnusable(volume);
}

TEST(VolumeOutMasterServer, ReadsTheDefaultSinksVolume) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState state("50%", false);
    CVolumeOutMaster volume;
    ASSERT_EQ(volume.IsAvailable(), 1);
    EXPECT_EQ(volume.GetMinimum(), 0u);
    EXPECT_EQ(volume.GetMaximum(), 65536u);
    EXPECT_GT(volume.GetStepCount(), 0u);
    EXPECT_NE(volume.GetStepCount(), CVolumeOutMaster::kNoValue);
    EXPECT_EQ(volume.GetVolume(), 32768u);
    EXPECT_EQ(volume.GetVolumePercent(), 50);
    std::uint32_t muted = 7;
    ASSERT_EQ(volume.GetMute(muted), 1);
    EXPECT_EQ(muted, 0u);
}

TEST(VolumeOutMasterServer, ChangesMadeHereAreSeenByPactl) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState state("50%", false);
    CVolumeOutMaster volume;
    ASSERT_EQ(volume.IsAvailable(), 1);

    volume.SetVolumePercent(40);
    EXPECT_EQ(test::PactlSinkVolume(), 26214u);
    volume.SetVolume(1000);
    EXPECT_EQ(test::PactlSinkVolume(), 1000u);
    volume.SetVolume(volume.GetMaximum() + 1); // out of bounds: nothing
    volume.SetVolumePercent(101);
    volume.SetVolumePercent(-1);
    EXPECT_EQ(test::PactlSinkVolume(), 1000u);

    volume.SoundOff();
    EXPECT_EQ(test::PactlSinkMuted(), true);
    std::uint32_t muted = 0;
    ASSERT_EQ(volume.GetMute(muted), 1);
    EXPECT_EQ(muted, 1u);
    volume.SoundOn();
    EXPECT_EQ(test::PactlSinkMuted(), false);
    EXPECT_EQ(volume.SetMute(1), 1);
    EXPECT_EQ(test::PactlSinkMuted(), true);
    EXPECT_EQ(volume.SetMute(0), 1);
    EXPECT_EQ(test::PactlSinkMuted(), false);
}

// The volume bar sets percentages and follows what is read back; they must be the same, and
// the same as the system's own controls show.
TEST(VolumeOutMasterServer, APercentageReadsBackAsSet) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState state("50%", false);
    CVolumeOutMaster volume;
    ASSERT_EQ(volume.IsAvailable(), 1);
    for (int percent : {0, 1, 5, 33, 59, 60, 95, 99, 100}) {
        volume.SetVolumePercent(percent);
        EXPECT_EQ(volume.GetVolumePercent(), percent);
    }
    for (const char* percent : {"29%", "30%", "57%"}) {
        ASSERT_TRUE(test::PactlSetSinkVolume(percent));
        EXPECT_EQ(volume.GetVolumePercent(), std::atoi(percent));
    }
}

TEST(VolumeOutMasterServer, VolumeAboveNormalDoesNotWrapAround) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState state("150%", false);
    CVolumeOutMaster volume;
    ASSERT_EQ(volume.IsAvailable(), 1);
    EXPECT_EQ(volume.GetVolumePercent(), 150);
    ASSERT_TRUE(test::PactlSetSinkVolume("300%"));
    EXPECT_EQ(volume.GetVolumePercent(), 255);
}

TEST(VolumeOutMasterServer, PactlChangesReachTheCallbacksOnTheRegisteringThread) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState state("50%", false);
    const QtApplication application;
    CVolumeOutMaster volume;
    ASSERT_EQ(volume.IsAvailable(), 1);
    Notices notices;
    notices.Register(volume, 42);

    ASSERT_TRUE(test::PactlSetSinkVolume("30%"));
    EXPECT_TRUE(PumpUntil([&] { return notices.SawPercent(30); }, 20s));
    ASSERT_TRUE(test::PactlSetSinkMuted(true));
    EXPECT_TRUE(PumpUntil([&] { return notices.LastSoundOn() == 0; }, 20s));
    ASSERT_TRUE(test::PactlSetSinkMuted(false));
    EXPECT_TRUE(PumpUntil([&] { return notices.LastSoundOn() == 1; }, 20s));
    // Changes made through the object itself come back the same way.
    volume.SetVolumePercent(70);
    EXPECT_TRUE(PumpUntil([&] { return notices.SawPercent(70); }, 20s));

    const std::lock_guard guard(notices.mutex);
    for (const auto id : notices.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
    for (const auto user : notices.users)
        EXPECT_EQ(user, 42u);
    // A mute change alone does not report a volume change.
    EXPECT_EQ(notices.percents, (std::vector<int>{30, 70}));
}

TEST(VolumeOutMasterServer, CallbacksRunOnAWorkerThreadThatRegisteredThem) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState state("50%", false);
    const QtApplication application;
    CVolumeOutMaster volume;
    ASSERT_EQ(volume.IsAvailable(), 1);

    QThread worker;
    worker.start();
    QObject inWorker;
    inWorker.moveToThread(&worker);
    Notices notices;
    std::thread::id workerId;
    QMetaObject::invokeMethod(
        &inWorker,
        [&] {
            workerId = std::this_thread::get_id();
            notices.Register(volume, 5);
        },
        Qt::BlockingQueuedConnection);

    ASSERT_TRUE(test::PactlSetSinkVolume("20%"));
    const bool seen = PumpUntil([&] { return notices.SawPercent(20); }, 20s);
    // Unregister in the worker, then stop it, before anything here goes.
    QMetaObject::invokeMethod(
        &inWorker,
        [&] {
            volume.SetVolumeCallback({}, 0);
            volume.SetMuteCallback({}, 0);
        },
        Qt::BlockingQueuedConnection);
    worker.quit();
    worker.wait();
    ASSERT_TRUE(seen);
    const std::lock_guard guard(notices.mutex);
    for (const auto id : notices.threads)
        EXPECT_EQ(id, workerId);
    EXPECT_NE(workerId, std::this_thread::get_id());
}

} // namespace
} // namespace trevix
