// A script host serving in-memory files, counting beeps and terminate requests:
// a double the tests and the fuzz targets share.
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "script/GaleScript.h"

class FakeHost : public TScriptHost {
 public:
  void Beep() override { ++beeps; }
  void Terminate() override { ++terminates; }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    if (unreadable.count(path) != 0) throw std::runtime_error("cannot read " + path);
    auto it = files.find(path);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  }

  std::map<std::string, std::string> files;
  std::set<std::string> unreadable;
  int beeps = 0;
  int terminates = 0;
};
