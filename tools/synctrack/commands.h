#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// synctrack's command line, kept apart from main so that it can be driven
// in-process. Exit statuses: 0 done, 1 input refused or repairs found,
// 2 usage or file errors.
constexpr int kStatusDone = 0;
constexpr int kStatusFindings = 1;
constexpr int kStatusFailure = 2;

int runSynctrack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
