/*
  The host interface of an ACF plug-in bundle.

  A bundle is a folder `NAME.bundle/` holding `Contents/Linux/NAME.so` and
  `Contents/Resources/`. A host loads the library with dlopen and reaches the
  plug-in only through the entry points and records declared here.

  Every operation that can fail returns an AcfResult: ACF_SUCCESS or one of
  the negative error codes below. Pointers handed in must be valid for the
  call; nothing handed in is kept unless a comment says so.

  Order of use: ACFStartup; ACFRegisterPlugin (description) and
  ACFRegisterComponent (one per channel configuration); ACFGetClassFactory
  for the effect factory; create an effect; initialise it with the sample
  rate; restore a chunk if the host has one; then render, value updates,
  chunk requests and the editor in any order; destroy; ACFShutdown.
*/
#ifndef ACF_ACF_H
#define ACF_ACF_H

#include <stdint.h> /* NOLINT(modernize-deprecated-headers): a C header */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ACF_EXPORT __declspec(dllexport)
#else
#define ACF_EXPORT __attribute__((visibility("default")))
#endif

typedef int32_t AcfResult;

#define ACF_SUCCESS 0
/** The identifier names no host parameter. */
#define ACF_ERROR_INVALID_PARAMETER_ID (-20001)
/** A null pointer, a non-finite value or a size that cannot be right. */
#define ACF_ERROR_INVALID_ARGUMENT (-20002)
/** The operation does not exist in this build (no editor, for instance). */
#define ACF_ERROR_UNIMPLEMENTED (-20003)
/** No chunk has this index. */
#define ACF_ERROR_INVALID_CHUNK_INDEX (-20006)
/** No chunk has this identifier. */
#define ACF_ERROR_INVALID_CHUNK_ID (-20007)

/** Version of this header; ACFGetSDKVersion reports the bundle's. */
#define ACF_SDK_VERSION 0x00010000u

/** Four-character code, first character in the highest byte. */
#define ACF_FOURCC(a, b, c, d) (((uint32_t)(a) << 24) | ((uint32_t)(b) << 16) | ((uint32_t)(c) << 8) | (uint32_t)(d))

/** Largest block a render call may ask for; larger ones are refused. */
#define ACF_MAX_BLOCK_FRAMES 1024

/** Length of every fixed text field of the records, terminator included. */
#define ACF_NAME_SIZE 64

/** What the bundle tells the host about itself. */
typedef struct AcfDescription
{
  char effectNames[2][ACF_NAME_SIZE];
  char packageNames[2][ACF_NAME_SIZE];
  char makerNames[3][ACF_NAME_SIZE];
  uint32_t packageVersion; /**< major << 16 | minor << 8 | patch */
  int32_t category;
  int32_t numComponents;
  char bundleId[128]; /**< reverse-domain identifier of the effect */
} AcfDescription;

/** One channel configuration of the effect. */
typedef struct AcfComponent
{
  uint32_t manufacturerId;
  uint32_t productId;
  uint32_t nativeTypeId;
  uint32_t offlineTypeId;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t numSideChainInputs;
  int32_t midiInputEnabled;
  char midiNodeName[ACF_NAME_SIZE];
  int32_t transportRequested;
  char transportNodeName[ACF_NAME_SIZE];
} AcfComponent;

typedef enum AcfParameterKind
{
  ACF_PARAMETER_BOOLEAN = 0,
  ACF_PARAMETER_INTEGER = 1,
  ACF_PARAMETER_CONTINUOUS = 2
} AcfParameterKind;

/** A host parameter. Index 0 is "Master Bypass"; then one per plug-in
    parameter, with identifiers "1", "2", ... */
typedef struct AcfParameterInfo
{
  char id[16];
  char name[ACF_NAME_SIZE];
  char unit[ACF_NAME_SIZE];
  int32_t kind;                            /**< AcfParameterKind */
  double minValue, maxValue, defaultValue; /**< in the parameter's own units */
  double defaultNormalized;
  int32_t numSteps;
  int32_t automatable;
  char offText[ACF_NAME_SIZE]; /**< texts of a boolean parameter */
  char onText[ACF_NAME_SIZE];
} AcfParameterInfo;

/** The host's transport, as the effect asks for it once per block. */
typedef struct AcfTimeInfo
{
  double tempo;
  double samplePos;
  double ppqPos;
  double lastBar;
  int32_t numerator, denominator;
  int32_t playing;
} AcfTimeInfo;

/** What the effect may call back into the host; any member may be null. */
typedef struct AcfHostCallbacks
{
  void* user;
  void (*beginEdit)(void* user, const char* parameterId);
  void (*setValue)(void* user, const char* parameterId, double normalized);
  void (*endEdit)(void* user, const char* parameterId);
  /** Fill *info and return 1, or return 0 when the host has no transport. */
  int32_t (*getTimeInfo)(void* user, AcfTimeInfo* info);
  /** The editor's view took a new size. */
  void (*viewResized)(void* user, int32_t width, int32_t height);
} AcfHostCallbacks;

/** Chunk record: a header followed by `size` bytes of data. */
typedef struct AcfChunkHeader
{
  int32_t size; /**< bytes of data that follow the header */
  int32_t version;
  uint32_t manufacturerId;
  uint32_t productId;
  uint32_t pluginId;
  uint32_t chunkId;
  char name[32];
} AcfChunkHeader;

typedef struct AcfEffect AcfEffect;

/** The effect factory returned by ACFGetClassFactory("effect"). */
typedef struct AcfEffectFactory
{
  /** Creates an effect for component `componentIndex`. The callbacks record
      is copied; its `user` pointer must outlive the effect. */
  AcfResult (*create)(int32_t componentIndex, const AcfHostCallbacks* host, AcfEffect** effect);
  void (*destroy)(AcfEffect* effect);

  /** Declares the parameters, records the sample rate and resets. */
  AcfResult (*initialize)(AcfEffect* effect, double sampleRate);

  int32_t (*numParameters)(AcfEffect* effect);
  AcfResult (*parameterInfo)(AcfEffect* effect, int32_t index, AcfParameterInfo* info);
  AcfResult (*getParameter)(AcfEffect* effect, const char* id, double* normalized);
  /** The display of the parameter's current value: number and unit. */
  AcfResult (*parameterDisplay)(AcfEffect* effect, const char* id, char* text, int32_t size);
  /** A host value update. Values outside 0..1 are clamped; non-finite
      values are refused with ACF_ERROR_INVALID_ARGUMENT. */
  AcfResult (*updateParameter)(AcfEffect* effect, const char* id, double normalized);

  /** One block of at most ACF_MAX_BLOCK_FRAMES frames; channel counts are
      the component's. A block of 0 frames does nothing. */
  AcfResult (*render)(AcfEffect* effect, const float* const* inputs, float* const* outputs, int32_t numFrames);

  int32_t (*numChunks)(AcfEffect* effect);
  AcfResult (*chunkIdByIndex)(AcfEffect* effect, int32_t index, uint32_t* chunkId);
  AcfResult (*chunkSize)(AcfEffect* effect, uint32_t chunkId, int32_t* size);
  /** `capacity` is the number of data bytes that fit after the header;
      a record too small is refused with ACF_ERROR_INVALID_ARGUMENT. */
  AcfResult (*getChunk)(AcfEffect* effect, uint32_t chunkId, AcfChunkHeader* chunk, int32_t capacity);
  AcfResult (*setChunk)(AcfEffect* effect, uint32_t chunkId, const AcfChunkHeader* chunk);
  AcfResult (*compareActiveChunk)(AcfEffect* effect, const AcfChunkHeader* chunk, int32_t* isEqual);
  /** Grows whenever the host should compare its stored state again. */
  int32_t (*changeCounter)(AcfEffect* effect);

  /** The editor's size in pixels. */
  AcfResult (*editorSize)(AcfEffect* effect, int32_t* width, int32_t* height);
  /** Opens the editor inside a native parent view (an X11 window id). */
  AcfResult (*editorOpen)(AcfEffect* effect, uintptr_t parentView);
  AcfResult (*editorClose)(AcfEffect* effect);
  /** Runs the editor's redraw timer once (hosts call it 25 times a second). */
  AcfResult (*editorIdle)(AcfEffect* effect);
  /** Renders one frame of the open editor as top-down RGBA rows into
      `rgba` (width * height * 4 bytes). graphOnly 0: the whole editor, and
      the size must be the editor's. graphOnly 1: the graph alone, first
      resized to width x height (both multiples of 4, else refused). */
  AcfResult (*editorSnapshot)(AcfEffect* effect, int32_t graphOnly, uint8_t* rgba, int32_t width, int32_t height);
} AcfEffectFactory;

/** Component entry points. Each returns ACF_SUCCESS or an error code. */
ACF_EXPORT AcfResult ACFStartup(void);
ACF_EXPORT AcfResult ACFShutdown(void);
ACF_EXPORT AcfResult ACFGetSDKVersion(uint64_t* version);
/** ACF_SUCCESS when no effect of the bundle is alive, else 1. */
ACF_EXPORT AcfResult ACFCanUnloadNow(void);
ACF_EXPORT AcfResult ACFRegisterPlugin(AcfDescription* description);
ACF_EXPORT AcfResult ACFRegisterComponent(int32_t index, AcfComponent* component);
/** name "effect" gives the AcfEffectFactory. */
ACF_EXPORT AcfResult ACFGetClassFactory(const char* name, const void** factory);

#ifdef __cplusplus
}
#endif

#endif
