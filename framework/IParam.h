// One plug-in parameter: a value in its own units, a range, a step and a
// shape, exchanged with the host and the editor as a normalised 0..1 value.
//
// Threads: the description (name, range, step, shape) is set once, before
// any host call; the value is an atomic that any thread may read or write,
// the audio thread included, without a lock.
#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4
  };

  IParam() = default;

  // Sets the type to integer if none yet, then initialises as continuous
  // with step 1 and shape 1.
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  EParamType Type() const { return mType; }
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  int Int() const { return static_cast<int>(Value()); }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  double GetDefaultNormalized() const { return ToNormalized(mDefault); }
  int GetDecimals() const { return mDecimals; }
  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const { return mLabel; }
  const char* GetGroupForHost() const { return mGroup; }
  bool GetCanAutomate() const { return mCanAutomate; }
  bool GetIgnoreHostChanges() const { return mIgnoreHostChanges; }
  void SetIgnoreHostChanges(bool ignore) { mIgnoreHostChanges = ignore; }

  // The value becomes v as given (callers clamp where they must).
  void Set(double v) { mValue.store(v, std::memory_order_relaxed); }
  void SetToDefault() { Set(mDefault); }
  // Non-finite input leaves the value unchanged; out-of-range input is
  // clamped to 0..1 first.
  void SetNormalized(double normalized);
  double GetNormalized() const { return ToNormalized(Value()); }

  double FromNormalized(double normalized) const;
  double ToNormalized(double value) const;

  // Names of single values (an enumeration's choices), for hosts that list them.
  void SetDisplayText(int value, const char* text) { mDisplayTexts.emplace_back(value, text ? text : ""); }
  int NDisplayTexts() const { return static_cast<int>(mDisplayTexts.size()); }
  const std::pair<int, std::string>& GetDisplayText(int i) const { return mDisplayTexts[static_cast<size_t>(i)]; }

  // The value as a number with the parameter's decimals (no unit).
  void GetDisplayForHost(double value, char* text, int size) const;

private:
  EParamType mType = kTypeNone;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0, mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDecimals = 0;
  char mName[32] = "";
  char mLabel[32] = "";
  char mGroup[32] = "";
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  bool mIgnoreHostChanges = false;
  std::vector<std::pair<int, std::string>> mDisplayTexts;
};
