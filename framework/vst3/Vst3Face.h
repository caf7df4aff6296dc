// One interface of a VST3 object as the host holds it: a pointer to the
// interface's function table, followed by the object that answers it. An
// object with several interfaces has one face per interface; the host
// calls each function with the face it was given.
#pragma once

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
