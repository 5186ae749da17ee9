// The engine's link to a sample recording in progress: it ends the recording when play ends.
#pragma once

namespace snx {

class RecordingHook {
  public:
    virtual ~RecordingHook() = default;
    virtual bool RecordingActive() const = 0;
    virtual void EndRecording() = 0;
};

// Until the recorder exists: never recording.
class NoRecording final : public RecordingHook {
  public:
    bool RecordingActive() const override { return false; }
    void EndRecording() override {}
};

}  // namespace snx
