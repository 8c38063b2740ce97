#pragma once
// The Disk menu's commands on CD image files, as the main window and the
// "Add ISO image" dialog call them.
#include <string>

struct Context;

// Registers the file the user chose in the image list and opens it as a
// device of the CD image driver. False when that driver is not registered.
bool AddImageFile(Context& ctx, const std::string& chosenName);

// Writes a new, empty image from the program's template under the chosen
// name; on failure shows "Unable to create ISO image file" and answers false.
// The dialog registers the name afterwards either way (AddImageFile), and a
// file that is no image then drops out of the list again.
bool CreateImageFile(Context& ctx, const std::string& chosenName);

// Disk > Remove on an ImageFile node: closes the image, drops it from the
// driver, the image list and the tree. Sets and clears the busy flag.
void RemoveImageCommand(Context& ctx, int target);
