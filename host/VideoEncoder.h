#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

// What goes into a video file: pictures of one size at a fixed rate and,
// when audioChannels > 0, the sound that belongs to them.
struct VideoSpec
{
  std::string path;       // the finished file; the container follows its extension
  std::string videoCodec; // an encoder name; empty: the container's usual one
  int width = 0;          // the pictures' size; odd sizes lose their last row or column
  int height = 0;
  int fps = 30;
  int audioChannels = 0;
  int sampleRate = 0;
  int pcmBits = 0; // the source's integer sample width (16, 24), 0 when it is float
};

// Encodes RGBA pictures and float sound into a file with libavformat and
// libavcodec. It writes to a temporary name beside the file and renames it
// only in finish(), so that a failure never leaves a half-written file
// under the file's name; without finish() the temporary file is removed.
// One thread (the host's) calls everything.
class VideoEncoder
{
public:
  // Throws HostError with a plain message when the container, a codec or
  // the file cannot be had.
  explicit VideoEncoder(const VideoSpec& spec);
  ~VideoEncoder();

  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Top-down RGBA rows of spec.width x spec.height pixels; each call is the
  // next picture, 1 / fps after the previous one.
  void addPicture(const uint8_t* rgba);
  // Interleaved frames of spec.audioChannels samples in -1..1.
  void addAudio(const float* interleaved, int frames);
  // Flushes the encoders, writes the trailer and gives the file its name.
  void finish();

  int64_t pictures() const { return mPictures; }
  // For example "h264 1280x720 at 30 fps, flac 44100 Hz 2 channels".
  std::string describe() const;

private:
  void openVideo(const std::string& codecName);
  void openAudio();
  void sendAudio(int frames);
  // Sends a frame (null: the end) and writes every packet that comes out.
  void encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame);
  void close();

  VideoSpec mSpec;
  std::string mTempPath;
  AVFormatContext* mFormat = nullptr;
  AVCodecContext* mVideo = nullptr;
  AVCodecContext* mAudio = nullptr;
  AVStream* mVideoStream = nullptr;
  AVStream* mAudioStream = nullptr;
  AVFrame* mPicture = nullptr;
  AVFrame* mSound = nullptr;
  AVPacket* mPacket = nullptr;
  SwsContext* mScaler = nullptr;
  int mEvenWidth = 0;
  int mEvenHeight = 0;
  int64_t mPictures = 0;
  int64_t mAudioPts = 0;
  std::vector<float> mPending; // interleaved sound not yet a whole codec frame
  bool mFileOpen = false;
  bool mCreated = false; // the temporary file is ours to remove
  bool mFinished = false;
};
