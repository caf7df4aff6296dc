#include "AudioFile.h"

#include "HostError.h"

#include <sndfile.h>

#include <cmath>

std::unique_ptr<AudioFile> AudioFile::openForReading(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file)
    throw HostError("cannot read " + path + ": " + sf_strerror(nullptr));
  if (info.channels < 1 || info.samplerate < 1)
  {
    sf_close(file);
    throw HostError("cannot read " + path + ": no channels or no sample rate");
  }
  std::unique_ptr<AudioFile> opened(
    new AudioFile(file, path, info.channels, info.samplerate, info.frames, info.seekable != 0));
  switch (info.format & SF_FORMAT_SUBMASK)
  {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      opened->mPcmBits = 8;
      break;
    case SF_FORMAT_PCM_16:
      opened->mPcmBits = 16;
      break;
    case SF_FORMAT_PCM_24:
      opened->mPcmBits = 24;
      break;
    case SF_FORMAT_PCM_32:
      opened->mPcmBits = 32;
      break;
    default:
      break;
  }
  return opened;
}

std::unique_ptr<AudioFile> AudioFile::createFloatWav(const std::string& path, double sampleRate, int channels)
{
  SF_INFO info{};
  info.samplerate = static_cast<int>(std::lround(sampleRate));
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file)
    throw HostError("cannot write " + path + ": " + sf_strerror(nullptr));
  // The peak chunk carries a time stamp; without it equal audio gives equal files.
  sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return std::unique_ptr<AudioFile>(new AudioFile(file, path, channels, sampleRate, 0, false));
}

AudioFile::AudioFile(SNDFILE* file, std::string path, int channels, double sampleRate, int64_t frames, bool seekable)
  : mFile(file), mPath(std::move(path)), mChannels(channels), mSampleRate(sampleRate), mFrames(frames),
    mSeekable(seekable)
{
}

AudioFile::~AudioFile()
{
  if (mFile)
    sf_close(mFile);
}

int64_t AudioFile::read(float* interleaved, int64_t maxFrames)
{
  if (!mFile || maxFrames <= 0)
    return 0;
  const sf_count_t n = sf_readf_float(mFile, interleaved, maxFrames);
  return n < 0 ? 0 : n;
}

bool AudioFile::rewind() { return mFile && mSeekable && sf_seek(mFile, 0, SEEK_SET) == 0; }

void AudioFile::write(const float* interleaved, int64_t frames)
{
  if (!mFile)
    throw HostError("cannot write " + mPath + ": file is closed");
  if (sf_writef_float(mFile, interleaved, frames) != frames)
    throw HostError("cannot write " + mPath + ": " + sf_strerror(mFile));
  mFrames += frames;
}

void AudioFile::close()
{
  if (!mFile)
    return;
  SNDFILE* file = mFile;
  mFile = nullptr;
  const int err = sf_close(file);
  if (err != 0)
    throw HostError("cannot write " + mPath + ": " + sf_error_number(err));
}
