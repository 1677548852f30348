// Where the test archives made at build time by make_zips.py lie, and small file helpers for
// the launcher's tests.
#pragma once
#include <windows.h>

#include <map>
#include <string>

namespace launchertest {

// 2021-03-04 05:06:08 as the packer's DOS time, and the "UT" times the archives carry.
const int kUtMtime = 1600000000;
const int kUtAtime = 1500000000;
const int kUtCtime = 1400000000;

// A Windows path of an archive made by make_zips.py.
std::wstring ZipPath(const std::wstring& name);
// The expected text of an entry made by make_zips.py's body().
std::string Body(const std::string& utf8Name, int repeat = 1);
// What basic.zip unpacks to, in the form of ListTree.
std::map<std::wstring, std::string> BasicZipTree();
FILETIME UnixTime(long long seconds);
FILETIME DosTime(int year, int month, int day, int hour, int minute, int second);
bool SameTime(const FILETIME& a, const FILETIME& b);

// Every file under folder by relative path ("\\" separators) with its content; folders map to
// "<dir>".
std::map<std::wstring, std::string> ListTree(const std::wstring& folder);

}  // namespace launchertest
