// Constant buffers: their declarations, the packoffsets a file gives, and the ones the
// layer adds so that the HLSL compiler places every member where HLSL packing puts it.

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/effect/layout.h"
#include "platform/effect/parser.h"

namespace platform::fx::detail {

std::string PackOffsetText(std::uint32_t offset) {
  return " : packoffset(c" + std::to_string(offset / 16) + "." + "xyzw"[offset % 16 / 4] + ")";
}

int Parser::ParsePackOffset(const std::string& inside, const Token& at) const {
  std::string t;
  for (char c : inside)
    if (!std::isspace(static_cast<unsigned char>(c))) t += c;
  std::size_t digits = 0;
  while (1 + digits < t.size() && std::isdigit(static_cast<unsigned char>(t[1 + digits]))) ++digits;
  const std::string rest = t.substr(std::min(t.size(), 1 + digits));
  const char* letters = "xyzw";
  const char* component = rest.size() == 2 && rest[0] == '.' ? std::strchr(letters, rest[1]) : nullptr;
  if (t.empty() || (t[0] != 'c' && t[0] != 'C') || digits == 0 || digits > 5 ||
      !(rest.empty() || (component && *component)))
    Fail("packoffset(" + inside + ") names no constant register", at);
  return std::atoi(t.substr(1, digits).c_str()) * 16 + (rest.empty() ? 0 : static_cast<int>(component - letters)) * 4;
}

void Parser::ParseCBuffer(bool shared, std::size_t declBegin) {
  const Token& kw = Next();  // cbuffer / tbuffer
  // A tbuffer holds what a cbuffer holds, packed the same way, and is set through the
  // same variables; only the way the hardware reads it differs. The layer makes it a
  // constant buffer.
  if (kw.text == "tbuffer") Rewrite(kw.begin, kw.end, "cbuffer");
  CBufferDecl cb;
  cb.shared = shared;
  cb.line = kw.line;
  cb.name = ExpectIdentifier("a cbuffer name");
  for (const CBufferDecl& other : out.cbuffers)
    if (other.name == cb.name) Fail("cbuffer " + cb.name + " declared twice", kw);
  if (Accept(":")) {
    ExpectIdentifier("register");
    if (Peek().Is("(")) SkipGroup();
  }
  cb.annotations = ParseAnnotations();
  if (shared) Blank(declBegin, kw.begin);
  int index = static_cast<int>(out.cbuffers.size());
  out.cbuffers.push_back(std::move(cb));
  Expect("{");
  int placed = -1;  // whether the members give packoffsets: all or none
  while (!Accept("}")) {
    if (Peek().kind == TokenKind::End) Fail("unterminated cbuffer");
    if (Accept(";")) continue;
    const Token& member = Peek();
    const std::size_t before = out.cbuffers[static_cast<std::size_t>(index)].variables.size();
    ParseDeclaration(true, index);
    const std::vector<int>& members = out.cbuffers[static_cast<std::size_t>(index)].variables;
    for (std::size_t k = before; k < members.size(); ++k) {
      const int gives = out.variables[static_cast<std::size_t>(members[k])].packOffset >= 0 ? 1 : 0;
      if (placed >= 0 && gives != placed)
        Fail("cannot mix packoffset elements with nonpackoffset elements in cbuffer " +
                 out.cbuffers[static_cast<std::size_t>(index)].name,
             member);
      placed = gives;
    }
  }
  Accept(";");
}

void Parser::PlaceMembers() {
  for (std::size_t c = 1; c < out.cbuffers.size(); ++c) {
    const CBufferLayout layout = LayoutCBuffer(out, out.cbuffers[c]);
    const std::vector<int>& indices = out.cbuffers[c].variables;
    for (std::size_t k = 0; k < indices.size(); ++k) {
      const std::string& name = out.variables[static_cast<std::size_t>(indices[k])].name;
      for (const auto& [member, at] : packInserts)
        if (member == name) Rewrite(at, at, PackOffsetText(layout.variables[k].offset));
    }
  }
}

}  // namespace platform::fx::detail
