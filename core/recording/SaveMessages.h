// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

// The Swedish words for a file that cannot be saved, shared by the check
// before a recording (SaveTarget) and the saving after it (WholeFile).
namespace portprov::save_messages {

bool IsStandardOutput(const std::filesystem::path& path);
// The path as the user may read it, in UTF-8.
std::string Shown(const std::filesystem::path& path);
// The folder a path's last name is in: "." for a bare name.
std::filesystem::path FolderOf(const std::filesystem::path& path);

// The user's message for a system error met while saving path.
std::string SaveMessage(const std::filesystem::path& path, int error);
// A file of another user in a sticky folder, which only its owner may replace.
std::string StickyMessage(const std::filesystem::path& path);
// A link that is not followed: another user's in a folder that anyone may
// write in and only owners may clear (as /tmp).
std::string ForeignLinkMessage(const std::filesystem::path& link);
// A target that is not a file and would not be written where the user meant:
// a disk, or a device reached through a link.
std::string DeviceMessage(const std::filesystem::path& path, bool disk);
// A pipe or device that was taken away or replaced while the recording ran.
std::string ReplacedMessage(const std::filesystem::path& path);

} // namespace portprov::save_messages
