#include "VideoEncoder.h"

#include "HostError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
std::string errorText(int code)
{
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

bool offers(const AVSampleFormat* list, AVSampleFormat format)
{
  for (const AVSampleFormat* f = list; f && *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == format)
      return true;
  return false;
}

// The sample format to hand the sound encoder: integers of the source's
// width where the codec is lossless and takes them, else float, else what
// the codec offers first.
AVSampleFormat chooseSampleFormat(const AVCodec* codec, int pcmBits)
{
  const AVSampleFormat* list = codec->sample_fmts;
  if (pcmBits > 0 && pcmBits <= 16 && offers(list, AV_SAMPLE_FMT_S16))
    return AV_SAMPLE_FMT_S16;
  if (codec->id == AV_CODEC_ID_FLAC && offers(list, AV_SAMPLE_FMT_S32))
    return AV_SAMPLE_FMT_S32;
  for (AVSampleFormat f : {AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16P, AV_SAMPLE_FMT_S16,
                           AV_SAMPLE_FMT_S32P, AV_SAMPLE_FMT_S32})
    if (offers(list, f))
      return f;
  return list ? list[0] : AV_SAMPLE_FMT_FLTP;
}

// The layouts sendAudio writes, planar or interleaved.
bool writable(AVSampleFormat format)
{
  const AVSampleFormat packed = av_get_packed_sample_fmt(format);
  return packed == AV_SAMPLE_FMT_FLT || packed == AV_SAMPLE_FMT_S16 || packed == AV_SAMPLE_FMT_S32;
}

// A sample in -1..1 as an integer of `bits` bits, left-aligned in 32 bits
// when bits > 16. Samples read from integer files come back exactly.
int32_t toInteger(float x, int bits)
{
  const double scale = std::ldexp(1.0, bits - 1);
  const double v = std::clamp(std::nearbyint(static_cast<double>(x) * scale), -scale, scale - 1.0);
  return static_cast<int32_t>(v) * (bits > 16 ? (1 << (32 - bits)) : 1);
}
} // namespace

VideoEncoder::VideoEncoder(const VideoSpec& spec) : mSpec(spec), mTempPath(spec.path + ".part")
{
  // The libraries' own chatter (x264's statistics) stays off the terminal.
  av_log_set_level(AV_LOG_ERROR);
  mEvenWidth = spec.width & ~1;
  mEvenHeight = spec.height & ~1;
  if (mEvenWidth < 2 || mEvenHeight < 2 || spec.fps < 1)
    throw HostError("a video needs a picture of at least 2 x 2 pixels and a frame rate of at least 1", 2);

  const AVOutputFormat* format = av_guess_format(nullptr, spec.path.c_str(), nullptr);
  if (!format || format->video_codec == AV_CODEC_ID_NONE)
    throw HostError("cannot tell a video format from the name " + spec.path + " (use .mp4, .mkv, .mov or .webm)", 2);
  try
  {
    if (avformat_alloc_output_context2(&mFormat, format, nullptr, mTempPath.c_str()) < 0 || !mFormat)
      throw HostError("cannot set up a " + std::string(format->name) + " file");
    openVideo(spec.videoCodec);
    if (spec.audioChannels > 0)
      openAudio();
    mPacket = av_packet_alloc();
    if (!(format->flags & AVFMT_NOFILE))
    {
      const int r = avio_open(&mFormat->pb, mTempPath.c_str(), AVIO_FLAG_WRITE);
      if (r < 0)
        throw HostError("cannot write " + spec.path + ": " + errorText(r));
      mFileOpen = true;
      mCreated = true;
    }
    const int r = avformat_write_header(mFormat, nullptr);
    if (r < 0)
      throw HostError("cannot start " + spec.path + ": " + errorText(r));
  }
  catch (...)
  {
    close();
    throw;
  }
}

VideoEncoder::~VideoEncoder() { close(); }

void VideoEncoder::openVideo(const std::string& codecName)
{
  const AVOutputFormat* format = mFormat->oformat;
  const AVCodec* codec = codecName.empty() ? avcodec_find_encoder(format->video_codec)
                                           : avcodec_find_encoder_by_name(codecName.c_str());
  if (!codec || codec->type != AVMEDIA_TYPE_VIDEO)
  {
    const std::string name = codecName.empty() ? avcodec_get_name(format->video_codec) : codecName;
    throw HostError("this build of libavcodec has no video encoder " + name, 2);
  }
  if (avformat_query_codec(format, codec->id, FF_COMPLIANCE_NORMAL) == 0)
    throw HostError(std::string("a ") + format->name + " file cannot hold " + codec->name + " video", 2);

  mVideo = avcodec_alloc_context3(codec);
  mVideo->width = mEvenWidth;
  mVideo->height = mEvenHeight;
  mVideo->time_base = AVRational{1, mSpec.fps};
  mVideo->framerate = AVRational{mSpec.fps, 1};
  mVideo->gop_size = 2 * mSpec.fps;
  mVideo->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
  for (const AVPixelFormat* p = codec->pix_fmts; p && *p != AV_PIX_FMT_NONE; ++p)
    if (*p == AV_PIX_FMT_YUV420P)
      mVideo->pix_fmt = AV_PIX_FMT_YUV420P;
  // A rate for the codecs that want one; the x264 and VP9 settings below
  // rule where they apply.
  mVideo->bit_rate = static_cast<int64_t>(mEvenWidth) * mEvenHeight * mSpec.fps / 8;
  if (mFormat->oformat->flags & AVFMT_GLOBALHEADER)
    mVideo->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // The fastest presets: on two cores with software GL, x264's "veryfast"
  // took as long as the drawing and kept 1920x1080 at half real time; the
  // landscape (thin lines on black) costs "ultrafast" about three times
  // the bytes, some 5 Mbit/s at 1920x1080.
  av_opt_set(mVideo->priv_data, "preset", "ultrafast", 0);
  av_opt_set(mVideo->priv_data, "crf", "20", 0);
  av_opt_set(mVideo->priv_data, "deadline", "realtime", 0);
  av_opt_set(mVideo->priv_data, "cpu-used", "8", 0);
  const int r = avcodec_open2(mVideo, codec, nullptr);
  if (r < 0)
    throw HostError(std::string("cannot open the video encoder ") + codec->name + ": " + errorText(r), 2);

  mVideoStream = avformat_new_stream(mFormat, nullptr);
  avcodec_parameters_from_context(mVideoStream->codecpar, mVideo);
  mVideoStream->time_base = mVideo->time_base;

  mPicture = av_frame_alloc();
  mPicture->format = mVideo->pix_fmt;
  mPicture->width = mEvenWidth;
  mPicture->height = mEvenHeight;
  if (av_frame_get_buffer(mPicture, 0) < 0)
    throw HostError("out of memory for a picture");
  mScaler = sws_getContext(mEvenWidth, mEvenHeight, AV_PIX_FMT_RGBA, mEvenWidth, mEvenHeight, mVideo->pix_fmt,
                           SWS_POINT, nullptr, nullptr, nullptr);
  if (!mScaler)
    throw HostError(std::string("cannot convert pictures to ") + av_get_pix_fmt_name(mVideo->pix_fmt));
}

void VideoEncoder::openAudio()
{
  const AVOutputFormat* format = mFormat->oformat;
  // Matroska carries FLAC: the sound stays the file's own, bit for bit.
  // Otherwise the container's usual codec, or the first other one it holds
  // that takes the sound's rate (WebM's Opus takes no 44.1 kHz).
  const bool matroska = std::string(format->name).find("matroska") != std::string::npos;
  const AVCodecID candidates[] = {matroska ? AV_CODEC_ID_FLAC : format->audio_codec, AV_CODEC_ID_VORBIS,
                                  AV_CODEC_ID_AAC, AV_CODEC_ID_FLAC};
  const AVCodec* codec = nullptr;
  for (AVCodecID id : candidates)
  {
    const AVCodec* c = id != AV_CODEC_ID_NONE ? avcodec_find_encoder(id) : nullptr;
    if (!c || (id != candidates[0] && avformat_query_codec(format, id, FF_COMPLIANCE_NORMAL) != 1))
      continue;
    bool takesRate = c->supported_samplerates == nullptr;
    for (const int* r = c->supported_samplerates; r && *r != 0; ++r)
      takesRate = takesRate || *r == mSpec.sampleRate;
    if (takesRate)
    {
      codec = c;
      break;
    }
  }
  if (!codec)
    throw HostError(std::string("this build of libavcodec has no encoder for ") + std::to_string(mSpec.sampleRate) +
                      " Hz sound in a " + format->name + " file",
                    2);
  mAudio = avcodec_alloc_context3(codec);
  mAudio->sample_fmt = chooseSampleFormat(codec, mSpec.pcmBits);
  // Refused here, before the file is begun, rather than at the first sound.
  if (!writable(mAudio->sample_fmt))
  {
    const char* name = av_get_sample_fmt_name(mAudio->sample_fmt);
    throw HostError(std::string("cannot hand sound to the ") + codec->name + " encoder as " +
                      (name ? name : "its sample format"),
                    2);
  }
  if (mAudio->sample_fmt == AV_SAMPLE_FMT_S32)
    mAudio->bits_per_raw_sample = 24;
  mAudio->sample_rate = mSpec.sampleRate;
  av_channel_layout_default(&mAudio->ch_layout, mSpec.audioChannels);
  mAudio->time_base = AVRational{1, mSpec.sampleRate};
  mAudio->bit_rate = int64_t{96000} * mSpec.audioChannels;
  if (format->flags & AVFMT_GLOBALHEADER)
    mAudio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int r = avcodec_open2(mAudio, codec, nullptr);
  if (r < 0)
    throw HostError(std::string("cannot open the sound encoder ") + codec->name + " for " +
                      std::to_string(mSpec.sampleRate) + " Hz: " + errorText(r),
                    2);

  mAudioStream = avformat_new_stream(mFormat, nullptr);
  avcodec_parameters_from_context(mAudioStream->codecpar, mAudio);
  mAudioStream->time_base = mAudio->time_base;

  mSound = av_frame_alloc();
  mSound->format = mAudio->sample_fmt;
  mSound->sample_rate = mSpec.sampleRate;
  av_channel_layout_copy(&mSound->ch_layout, &mAudio->ch_layout);
  const bool variable = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
  mSound->nb_samples = variable || mAudio->frame_size <= 0 ? 1024 : mAudio->frame_size;
  if (av_frame_get_buffer(mSound, 0) < 0)
    throw HostError("out of memory for sound");
}

void VideoEncoder::addPicture(const uint8_t* rgba)
{
  if (av_frame_make_writable(mPicture) < 0)
    throw HostError("out of memory for a picture");
  const uint8_t* src[1] = {rgba};
  const int stride[1] = {mSpec.width * 4};
  sws_scale(mScaler, src, stride, 0, mEvenHeight, mPicture->data, mPicture->linesize);
  mPicture->pts = mPictures++;
  encode(mVideo, mVideoStream, mPicture);
}

void VideoEncoder::addAudio(const float* interleaved, int frames)
{
  if (!mAudio || frames <= 0)
    return;
  mPending.insert(mPending.end(), interleaved,
                  interleaved + static_cast<std::ptrdiff_t>(frames) * mSpec.audioChannels);
  const int whole = mSound->nb_samples;
  while (static_cast<int>(mPending.size() / mSpec.audioChannels) >= whole)
    sendAudio(whole);
}

void VideoEncoder::sendAudio(int frames)
{
  const int channels = mSpec.audioChannels;
  if (av_frame_make_writable(mSound) < 0)
    throw HostError("out of memory for sound");
  const int capacity = mSound->nb_samples;
  const bool planar = av_sample_fmt_is_planar(mAudio->sample_fmt) != 0;
  const AVSampleFormat packed = av_get_packed_sample_fmt(mAudio->sample_fmt);
  const int available = static_cast<int>(mPending.size() / channels);
  for (int i = 0; i < frames; ++i)
  {
    for (int c = 0; c < channels; ++c)
    {
      // Past the sound's end (a codec of fixed frames): silence.
      const float x = i < available ? mPending[static_cast<std::size_t>(i) * channels + c] : 0.0f;
      const int at = planar ? i : i * channels + c;
      uint8_t* plane = mSound->data[planar ? c : 0];
      switch (packed)
      {
        case AV_SAMPLE_FMT_FLT:
          reinterpret_cast<float*>(plane)[at] = x;
          break;
        case AV_SAMPLE_FMT_S16:
          reinterpret_cast<int16_t*>(plane)[at] = static_cast<int16_t>(toInteger(x, 16));
          break;
        case AV_SAMPLE_FMT_S32:
          reinterpret_cast<int32_t*>(plane)[at] = toInteger(x, 24);
          break;
        default:
          throw HostError(std::string("cannot hand sound to the encoder as ") +
                          av_get_sample_fmt_name(mAudio->sample_fmt));
      }
    }
  }
  mSound->nb_samples = frames;
  mSound->pts = mAudioPts;
  mAudioPts += std::min(frames, available);
  encode(mAudio, mAudioStream, mSound);
  mSound->nb_samples = capacity;
  mPending.erase(mPending.begin(),
                 mPending.begin() + static_cast<std::ptrdiff_t>(std::min(frames, available)) * channels);
}

void VideoEncoder::encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame)
{
  int r = avcodec_send_frame(codec, frame);
  if (r < 0)
    throw HostError(std::string("the ") + codec->codec->name + " encoder refused a frame: " + errorText(r));
  for (;;)
  {
    r = avcodec_receive_packet(codec, mPacket);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
      return;
    if (r < 0)
      throw HostError(std::string("the ") + codec->codec->name + " encoder failed: " + errorText(r));
    av_packet_rescale_ts(mPacket, codec->time_base, stream->time_base);
    mPacket->stream_index = stream->index;
    r = av_interleaved_write_frame(mFormat, mPacket);
    if (r < 0)
      throw HostError("cannot write " + mTempPath + ": " + errorText(r));
  }
}

void VideoEncoder::finish()
{
  if (mFinished)
    return;
  if (mAudio && !mPending.empty())
  {
    const int left = static_cast<int>(mPending.size() / mSpec.audioChannels);
    const bool small = (mAudio->codec->capabilities &
                        (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) != 0;
    sendAudio(small ? left : mSound->nb_samples);
  }
  encode(mVideo, mVideoStream, nullptr);
  if (mAudio)
    encode(mAudio, mAudioStream, nullptr);
  int r = av_write_trailer(mFormat);
  if (r < 0)
    throw HostError("cannot finish " + mTempPath + ": " + errorText(r));
  if (mFileOpen)
  {
    r = avio_closep(&mFormat->pb);
    mFileOpen = false;
    if (r < 0)
      throw HostError("cannot write " + mTempPath + ": " + errorText(r));
  }
  if (std::rename(mTempPath.c_str(), mSpec.path.c_str()) != 0)
    throw HostError("cannot rename " + mTempPath + " to " + mSpec.path);
  mFinished = true;
}

std::string VideoEncoder::describe() const
{
  std::string s = std::string(mVideo->codec->name) + " " + std::to_string(mEvenWidth) + "x" +
                  std::to_string(mEvenHeight) + " at " + std::to_string(mSpec.fps) + " fps";
  if (mAudio)
    s += std::string(", ") + mAudio->codec->name + " " + std::to_string(mSpec.sampleRate) + " Hz " +
         std::to_string(mSpec.audioChannels) + (mSpec.audioChannels == 1 ? " channel" : " channels");
  return s;
}

void VideoEncoder::close()
{
  if (mFormat && mFileOpen)
  {
    avio_closep(&mFormat->pb);
    mFileOpen = false;
  }
  if (mCreated && !mFinished)
    std::remove(mTempPath.c_str());
  sws_freeContext(mScaler);
  mScaler = nullptr;
  av_frame_free(&mPicture);
  av_frame_free(&mSound);
  av_packet_free(&mPacket);
  avcodec_free_context(&mVideo);
  avcodec_free_context(&mAudio);
  avformat_free_context(mFormat);
  mFormat = nullptr;
}
