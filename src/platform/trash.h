// The XDG trash and revealing a file in the file manager.
// A file on the file system of the home trash ($XDG_DATA_HOME/Trash, by
// default ~/.local/share/Trash) goes there; a file on another mount goes to
// $topdir/.Trash/$uid (when an administrator made .Trash with the sticky bit)
// or else $topdir/.Trash-$uid. A trash folder holds files/ and info/.
#pragma once
#include <string>

namespace kromel {

// The home trash folder, without a trailing "/".
std::string HomeTrashFolder();

// The trash folder (holding files/ and info/) for FileName, made when missing
// as the trash rules allow; empty when there is none that the user can write.
std::string TrashFolderFor(const std::string& FileName);

enum class TTrashMove { Moved, NameTaken, Failed };

// Moves FileName to Trash + "/files/" + Name and records its original path
// and the time in Trash + "/info/" + Name + ".trashinfo". An entry of that
// name that exists already, or appears meanwhile, is never replaced: the
// answer is then NameTaken and nothing changes.
TTrashMove MoveIntoTrash(const std::string& FileName, const std::string& Trash,
                         const std::string& Name);

// The absolute form of FileName with its folder part resolved; empty when the
// folder does not exist or the name has no last component.
std::string AbsoluteFileName(const std::string& FileName);

// Opens the folder of FileName in the file manager ("xdg-open" with the
// folder as its one argument) and returns at once; false when it could not
// be started.
bool RevealInFileManager(const std::string& FileName);

}  // namespace kromel
