#pragma once

// What a conversion left out, and what it added that the file did not have, said once
// each, in the order first met.

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gltf2demo {

// The kind skins and skin weights are left out under, said once for the whole scene.
inline const char* const SkinsLeftOut = "skins (the engine has no skinning: the meshes stay in their bind pose)";

class Notes {
 public:
  void LeftOut(const std::string& what) {
    if (seen.insert(what).second) lines.push_back(what);
  }
  // One line for everything of a kind left out, however many things have it: "skins:
  // node 'Arm', node 'Leg' and 40 more".
  void LeftOutOf(const std::string& kind, const std::string& what) {
    auto group = groups.find(kind);
    if (group == groups.end()) {
      groups.emplace(kind, Group{lines.size(), {what}});
      lines.push_back(kind);
    } else if (group->second.members.insert(what).second) {
      group->second.order.push_back(what);
    }
  }
  void Added(const std::string& what) {
    if (seen.insert(what).second) added.push_back(what);
  }
  // What the conversion chose that a reader of its output should know, neither left out
  // nor added (how long the part runs against its animation, say).
  void Remark(const std::string& what) {
    if (seen.insert(what).second) remarks.push_back(what);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out = lines;
    for (const auto& group : groups) {
      const std::vector<std::string>& order = group.second.order;
      std::string list;
      const std::size_t shown = std::min<std::size_t>(order.size(), MostNamed);
      for (std::size_t i = 0; i < shown; ++i)
        list += (i == 0 ? "" : i + 1 == shown && shown == order.size() ? " and " : ", ") + order[i];
      if (order.size() > shown) list += " and " + std::to_string(order.size() - shown) + " more";
      out[group.second.line] = group.first + ": " + list;
    }
    return out;
  }
  const std::vector<std::string>& AddedLines() const { return added; }
  const std::vector<std::string>& Remarks() const { return remarks; }
  // Adds `other`'s notes after these, each kind in its order.
  void Append(const Notes& other) {
    for (std::size_t i = 0; i < other.lines.size(); ++i) {
      const auto group = std::find_if(other.groups.begin(), other.groups.end(),
                                      [&](const auto& g) { return g.second.line == i; });
      if (group == other.groups.end()) {
        LeftOut(other.lines[i]);
      } else {
        for (const std::string& what : group->second.order) LeftOutOf(group->first, what);
      }
    }
    for (const std::string& line : other.added) Added(line);
    for (const std::string& line : other.remarks) Remark(line);
  }

 private:
  static constexpr std::size_t MostNamed = 4;
  struct Group {
    std::size_t line;  // in `lines`
    std::vector<std::string> order;
    std::set<std::string> members;
    Group(std::size_t at, std::vector<std::string> first) : line(at), order(first), members(first.begin(), first.end()) {}
  };
  std::set<std::string> seen;
  std::vector<std::string> lines, added, remarks;
  std::map<std::string, Group> groups;
};

}  // namespace gltf2demo
