// What the plug-in base needs of an editor window host: its size, its window, and its controls
// bound to parameters. The window host itself lives with the editor.
#pragma once

#include <string>

namespace sorvel {

class IGraphics {
 public:
  virtual ~IGraphics() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;

  virtual bool openWindow(void* parent) = 0;
  virtual void closeWindow() = 0;
  virtual bool windowIsOpen() const = 0;

  // Shows a parameter's new value in every control bound to it (directly or as a secondary
  // binding); the value is normalised or in the parameter's own units.
  virtual void setParameterFromPlug(int index, double value, bool normalised) = 0;
  // Drawing surfaces at the editor's size, created when the editor is attached.
  virtual void prepareDrawing() = 0;
  // Folder of the plug-in library (with a trailing separator).
  virtual std::string moduleFolder() const = 0;
};

}  // namespace sorvel
