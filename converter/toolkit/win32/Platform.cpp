#include "Text.h"
#include "Win32.h"

namespace tk::win32 {

Platform::Platform(HINSTANCE instance, const ProgramIdentity& identity)
    : windows(instance, Widen(identity.classPrefix)),
      clipboard(windows.HiddenOwner()),
      http(Widen(identity.title)) {
    ServiceSet mine;
    mine.windows = &windows;
    mine.msgbox = &system;
    mine.clipboard = &clipboard;
    mine.sound = &system;
    mine.regional = &system;
    mine.settings = &settings;
    mine.shell = &system;
    mine.app = &system;
    mine.http = &http;
    mine.clock = &system;
    mine.xml = &xml;
    previous_ = Install(mine);
}

Platform::~Platform() { Install(previous_); }

}  // namespace tk::win32
