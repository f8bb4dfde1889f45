#pragma once

#include <string>
#include <string_view>

#include "scan/not_examined_reason.h"
#include "scan/tree_walk.h"

// What a search could not see, in words: the one place that names each reason, for kalvor-scan
// and the window alike.
namespace kalvor::report {

// A stable English token for scripts ("locked"), never translated or reworded.
std::string_view ReasonToken(const scan::NotExaminedReason& reason);
std::string_view ReasonToken(scan::FolderNotListedReason reason);

// A short Chinese text for people ("被其他程序锁定").
std::string_view ReasonDescription(const scan::NotExaminedReason& reason);
std::string_view ReasonDescription(scan::FolderNotListedReason reason);

// A folder not listed as the window's report says it: whole, since nothing below the folder was
// searched either.
std::string FolderNotListedNote(scan::FolderNotListedReason reason);

}  // namespace kalvor::report
