#include "app/x11_monitor_profile.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kromel {

std::vector<uint8_t> X11MonitorProfileBytes() {
  std::vector<uint8_t> Bytes;
  auto* X11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* C = X11 ? X11->connection() : nullptr;
  if (C == nullptr) return Bytes;
  const char Name[] = "_ICC_PROFILE";
  xcb_intern_atom_reply_t* Atom =
      xcb_intern_atom_reply(C, xcb_intern_atom(C, 1, uint16_t(std::strlen(Name)), Name), nullptr);
  if (Atom == nullptr) return Bytes;
  const xcb_atom_t ProfileAtom = Atom->atom;
  std::free(Atom);
  if (ProfileAtom == XCB_ATOM_NONE) return Bytes;
  const xcb_screen_t* Screen = xcb_setup_roots_iterator(xcb_get_setup(C)).data;
  if (Screen == nullptr) return Bytes;
  // Profiles are small; 16 MB (in 32-bit units) is far beyond any.
  xcb_get_property_reply_t* Reply = xcb_get_property_reply(
      C, xcb_get_property(C, 0, Screen->root, ProfileAtom, XCB_GET_PROPERTY_TYPE_ANY, 0, 4u << 20), nullptr);
  if (Reply == nullptr) return Bytes;
  if (Reply->format == 8 && Reply->bytes_after == 0) {
    const int Length = xcb_get_property_value_length(Reply);
    const auto* Data = static_cast<const uint8_t*>(xcb_get_property_value(Reply));
    if (Length > 0 && Data != nullptr) Bytes.assign(Data, Data + Length);
  }
  std::free(Reply);
  return Bytes;
}

}  // namespace kromel
