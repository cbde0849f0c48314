#pragma once

// Where the build made each file of the data folder from. The files a program reads are
// often copies (Orv's data/ from content/, a demo's build/data from its own data/), and
// an edit made to a copy is lost by the next build; so whatever makes the copies writes
// data/origins.txt, one line a file:
//
//   # comment
//   fx/ring.fx<TAB>/home/me/demo/data/fx/ring.fx
//   part.demo<TAB>/home/me/demo/scenes/part.scene.lua
//
// the file in the data folder, a tab, and its source (absolute, or relative to the data
// folder). A demo file whose source is a scene description (".scene.lua") is written from
// it by demowrite; every other source is copied as it is. -watch watches the sources, and
// the overlay's Save writes the source and then the copy.

#include <string>
#include <vector>

struct DataOrigin {
  std::string copy;    // the file as the program names it: "data/fx/ring.fx"
  std::string source;  // where it was made from, lexically normal
};

class DataOrigins {
 public:
  // The origins listed in `text`, the folder `dataFolder` holding them ("data"). Lines
  // that are not a name, a tab and a source (empty, comments, anything else) are passed
  // over, as are names that leave the data folder.
  static DataOrigins Parse(const std::string& text, const std::string& dataFolder);
  // The data folder's origins.txt; none when it is missing or unreadable.
  static DataOrigins Read(const std::string& dataFolder = "data");

  // Every data file made from a source, copies and demo files alike.
  const std::vector<DataOrigin>& All() const { return origins; }
  // The data files copied as they are from their source.
  std::vector<DataOrigin> Copies() const;
  // The demo files written from scene descriptions.
  std::vector<DataOrigin> Descriptions() const;
  // The source of the data file `copy` (as the program names it), empty when none is known.
  std::string SourceOf(const std::string& copy) const;

 private:
  std::vector<DataOrigin> origins;
};

// The data folder's origins as they are on disk now: read again only when origins.txt
// changed (a build while the program runs).
const DataOrigins& CurrentDataOrigins();

// The file a save for the data file `copy` edits: its source when the build made it from
// one that exists (a save to the copy alone would be lost by the next build), else the
// copy itself.
std::string EditedFileFor(const std::string& copy);

// After a save to `edited` on behalf of `copy`: when they are two files, the copy gets the
// source's bytes too, so the program and -watch see the edit without a build. False,
// with the reason in *error, when the copy cannot be replaced.
bool UpdateCopy(const std::string& edited, const std::string& copy, std::string* error);

// True when `source` names a scene description that demowrite turns into a demo file.
bool IsSceneDescription(const std::string& source);
