// The editor's window on Linux: a child window on the X server, through XCB.
#include "editor/IEditorWindowHost.h"
#include "editor/x11/X11WindowHost.h"

namespace sorvel {

std::unique_ptr<IEditorWindowHost> makeWindowHost(IEditorView& view) { return std::make_unique<X11WindowHost>(view); }

}  // namespace sorvel
