// One interface of a VST3 object as the host holds it: a pointer to the
// interface's function table, followed by the object that answers it. An
// object with several interfaces has one face per interface; the host
// calls each function with the face it was given.
#pragma once

#include <travesty/base.h>

#include <atomic>
#include <cstdint>

template <class Owner>
struct Vst3Face
{
  const void* vtable;
  Owner* owner;

  static Owner* Of(void* self) { return static_cast<Vst3Face*>(self)->owner; }
  // The pointer hosts hold: the address of the table pointer.
  template <class Interface>
  Interface** As()
  {
    return reinterpret_cast<Interface**>(this);
  }
};

// The reference count of an object the host holds through its faces,
// starting with the creator's reference; the last one deletes the Owner,
// which derives from this and answers QueryInterface.
template <class Owner>
class Vst3Counted
{
public:
  uint32_t Ref() { return mRefs.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t Unref()
  {
    const uint32_t left = mRefs.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
      delete static_cast<Owner*>(this);
    return left;
  }

protected:
  // The face asked for, with a reference the caller owns, or no interface.
  v3_result Answer(Vst3Face<Owner>* face, void** obj)
  {
    *obj = face;
    if (!face)
      return V3_NO_INTERFACE;
    Ref();
    return V3_OK;
  }

  // A table's funknown calls, answered by the face's owner.
  template <class Table>
  static void SetUnknown(Table& t)
  {
    t.query_interface = [](void* self, const v3_tuid iid, void** obj) {
      return Vst3Face<Owner>::Of(self)->QueryInterface(iid, obj);
    };
    t.ref = [](void* self) { return Vst3Face<Owner>::Of(self)->Ref(); };
    t.unref = [](void* self) { return Vst3Face<Owner>::Of(self)->Unref(); };
  }

private:
  std::atomic<uint32_t> mRefs{1};
};
