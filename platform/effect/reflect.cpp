#include "platform/effect/reflect.h"

#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace platform::fx {

namespace {

// One SPIRV-Cross context and GLSL compiler over a module; errors land in `message`.
class CrossCompiler {
 public:
  explicit CrossCompiler(const std::vector<std::uint32_t>& spirv) {
    if (spvc_context_create(&context) != SPVC_SUCCESS) return;
    spvc_context_set_error_callback(
        context, [](void* user, const char* e) { *static_cast<std::string*>(user) = e; }, &message);
    spvc_parsed_ir ir = nullptr;
    if (spvc_context_parse_spirv(context, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS) return;
    if (spvc_context_create_compiler(context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler) !=
        SPVC_SUCCESS)
      compiler = nullptr;
  }
  ~CrossCompiler() {
    if (context) spvc_context_destroy(context);
  }
  CrossCompiler(const CrossCompiler&) = delete;
  CrossCompiler& operator=(const CrossCompiler&) = delete;

  bool Ok() const { return compiler != nullptr; }
  spvc_compiler Get() const { return compiler; }
  std::string Error() const { return message.empty() ? "SPIR-V translation failed" : message; }

  std::vector<spvc_reflected_resource> Resources(spvc_resource_type type) {
    if (!resources && spvc_compiler_create_shader_resources(compiler, &resources) != SPVC_SUCCESS) return {};
    const spvc_reflected_resource* list = nullptr;
    size_t count = 0;
    spvc_resources_get_resource_list_for_type(resources, type, &list, &count);
    return std::vector<spvc_reflected_resource>(list, list + count);
  }

  // Builds the combined image samplers GLSL needs (a dummy sampler stands in for
  // textures read with Load) and names each by its texture and sampler.
  std::vector<std::pair<SamplerPair, spvc_variable_id>> CombineSamplers() {
    std::vector<std::pair<SamplerPair, spvc_variable_id>> result;
    spvc_variable_id dummy = 0;
    spvc_compiler_build_dummy_sampler_for_combined_images(compiler, &dummy);
    if (spvc_compiler_build_combined_image_samplers(compiler) != SPVC_SUCCESS) return result;
    const spvc_combined_image_sampler* list = nullptr;
    size_t count = 0;
    spvc_compiler_get_combined_image_samplers(compiler, &list, &count);
    for (size_t i = 0; i < count; ++i) {
      SamplerPair pair;
      pair.texture = spvc_compiler_get_name(compiler, list[i].image_id);
      if (list[i].sampler_id != dummy) pair.sampler = spvc_compiler_get_name(compiler, list[i].sampler_id);
      result.push_back({pair, list[i].combined_id});
    }
    // A Buffer<T> becomes a samplerBuffer of its own, combined with nothing: it takes a
    // unit like a texture read with Load.
    for (const spvc_reflected_resource& r : Resources(SPVC_RESOURCE_TYPE_SEPARATE_IMAGE)) {
      spvc_type type = spvc_compiler_get_type_handle(compiler, r.type_id);
      if (spvc_type_get_image_dimension(type) != SpvDimBuffer) continue;
      SamplerPair pair;
      pair.texture = spvc_compiler_get_name(compiler, r.id);
      result.push_back({pair, r.id});
    }
    return result;
  }

 private:
  spvc_context context = nullptr;
  spvc_compiler compiler = nullptr;
  spvc_resources resources = nullptr;
  std::string message;
};

// Whether a member at `offset` of type `typeId` obeys std140 alignment; HLSL strides
// (16 bytes per array element and matrix register) already match std140's.
bool FitsStd140(spvc_compiler c, spvc_type_id typeId, std::uint32_t offset, int depth) {
  spvc_type t = spvc_compiler_get_type_handle(c, typeId);
  bool aggregate = spvc_type_get_num_array_dimensions(t) > 0 || spvc_type_get_columns(t) > 1 ||
                   spvc_type_get_basetype(t) == SPVC_BASETYPE_STRUCT;
  std::uint32_t vec = spvc_type_get_vector_size(t);
  std::uint32_t align = aggregate ? 16 : vec == 1 ? 4 : vec == 2 ? 8 : 16;
  if (offset % align != 0) return false;
  if (spvc_type_get_basetype(t) == SPVC_BASETYPE_STRUCT && depth < 16) {
    unsigned n = spvc_type_get_num_member_types(t);
    for (unsigned i = 0; i < n; ++i) {
      unsigned memberOffset = 0;
      spvc_compiler_type_struct_member_offset(c, t, i, &memberOffset);
      if (!FitsStd140(c, spvc_type_get_member_type(t, i), offset + memberOffset, depth + 1)) return false;
    }
  }
  return true;
}

// Leaf scalar types of a member, accumulated into `seen` (0 before the first).
void CollectBaseTypes(spvc_compiler c, spvc_type_id typeId, spvc_basetype& seen, bool& same, int depth) {
  spvc_type t = spvc_compiler_get_type_handle(c, typeId);
  spvc_basetype base = spvc_type_get_basetype(t);
  if (base == SPVC_BASETYPE_STRUCT) {
    if (depth >= 16) return;
    unsigned n = spvc_type_get_num_member_types(t);
    for (unsigned i = 0; i < n; ++i) CollectBaseTypes(c, spvc_type_get_member_type(t, i), seen, same, depth + 1);
    return;
  }
  if (seen == SPVC_BASETYPE_UNKNOWN) seen = base;
  else if (seen != base) same = false;
}

std::string Identifier(const std::string& name);

// The leaves of a struct (a block or a struct member) at `base` bytes into the image.
void CollectPlain(spvc_compiler c, spvc_type structType, const std::string& prefix, std::uint32_t base,
                  ReflectedBlock& block, int depth) {
  spvc_type_id self = spvc_type_get_base_type_id(structType);
  unsigned n = spvc_type_get_num_member_types(structType);
  for (unsigned i = 0; i < n && block.plainProblem.empty(); ++i) {
    spvc_type t = spvc_compiler_get_type_handle(c, spvc_type_get_member_type(structType, i));
    std::string name = prefix + spvc_compiler_get_member_name(c, self, i);
    unsigned offset = 0, arrayStride = 0, matrixStride = 0;
    spvc_compiler_type_struct_member_offset(c, structType, i, &offset);
    unsigned dims = spvc_type_get_num_array_dimensions(t);
    std::uint32_t count = 1;
    if (dims > 1) {
      block.plainProblem = "member " + name + " is an array of arrays";
      return;
    }
    if (dims == 1) {
      if (!spvc_type_array_dimension_is_literal(t, 0)) {
        block.plainProblem = "member " + name + " has an array size GL cannot read";
        return;
      }
      count = spvc_type_get_array_dimension(t, 0);
      spvc_compiler_type_struct_member_array_stride(c, structType, i, &arrayStride);
    }
    spvc_basetype type = spvc_type_get_basetype(t);
    if (type == SPVC_BASETYPE_STRUCT) {
      if (depth >= 16) {
        block.plainProblem = "member " + name + " nests structs too deeply";
        return;
      }
      for (std::uint32_t e = 0; e < count; ++e)
        CollectPlain(c, t, name + (dims ? "[" + std::to_string(e) + "]." : "."), base + offset + e * arrayStride,
                     block, depth + 1);
      continue;
    }
    PlainUniform u;
    u.name = name;
    u.offset = base + offset;
    u.scalar = type == SPVC_BASETYPE_FP32     ? 'f'
               : type == SPVC_BASETYPE_INT32  ? 'i'
               : type == SPVC_BASETYPE_UINT32 ? 'u'
                                              : 0;
    if (!u.scalar) {
      block.plainProblem = "member " + name + " has a scalar type GL uniforms cannot take";
      return;
    }
    u.rows = spvc_type_get_vector_size(t);
    u.columns = spvc_type_get_columns(t);
    u.count = count;
    u.arrayStride = arrayStride;
    if (u.columns > 1) {
      spvc_compiler_type_struct_member_matrix_stride(c, structType, i, &matrixStride);
      u.matrixStride = matrixStride;
      u.rowMajor = spvc_compiler_has_member_decoration(c, self, i, SpvDecorationRowMajor);
    }
    block.plain.push_back(u);
  }
}

void ParseSemantic(const char* raw, ReflectedVarying& v) {
  std::string s = raw ? raw : "";
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  std::size_t digits = s.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
  v.semantic = s.substr(0, digits);
  v.index = digits < s.size() ? static_cast<std::uint32_t>(std::stoul(s.substr(digits, 6))) : 0;
}

// The semantic of each stage input or output, by variable. An array of varyings
// (float3 light[2] : TEXCOORD2) reaches here as one variable per element, each with the
// array's semantic; its elements take the indices after it (TEXCOORD2, TEXCOORD3), in
// the order the compiler placed them.
std::map<spvc_variable_id, ReflectedVarying> Semantics(CrossCompiler& cc, spvc_resource_type type) {
  std::vector<std::pair<std::pair<unsigned, spvc_variable_id>, ReflectedVarying>> found;
  for (const spvc_reflected_resource& r : cc.Resources(type)) {
    ReflectedVarying v;
    ParseSemantic(spvc_compiler_get_decoration_string(cc.Get(), r.id, SpvDecorationUserSemantic), v);
    found.push_back({{spvc_compiler_get_decoration(cc.Get(), r.id, SpvDecorationLocation), r.id}, v});
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::map<std::string, std::uint32_t> seen;
  std::map<spvc_variable_id, ReflectedVarying> result;
  for (auto& [order, v] : found) {
    const std::uint32_t earlier = seen[v.Key()]++;
    if (!v.semantic.empty()) v.index += earlier;
    result[order.second] = v;
  }
  return result;
}

std::vector<ReflectedVarying> Varyings(CrossCompiler& cc, spvc_resource_type type) {
  std::vector<ReflectedVarying> result;
  const std::map<spvc_variable_id, ReflectedVarying> semantics = Semantics(cc, type);
  for (const spvc_reflected_resource& r : cc.Resources(type)) {
    ReflectedVarying v = semantics.at(r.id);
    v.location = spvc_compiler_get_decoration(cc.Get(), r.id, SpvDecorationLocation);
    spvc_type t = spvc_compiler_get_type_handle(cc.Get(), r.type_id);
    v.components = spvc_type_get_vector_size(t);
    spvc_basetype base = spvc_type_get_basetype(t);
    v.scalar = base == SPVC_BASETYPE_INT32 ? 'i' : base == SPVC_BASETYPE_UINT32 ? 'u' : 'f';
    result.push_back(v);
  }
  return result;
}

std::string Identifier(const std::string& name) {
  std::string out;
  for (char ch : name) out += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return out;
}

std::string FlattenedName(const std::string& block) { return "fxflat_" + Identifier(block); }

// The translator writes a flattened block as a plain "uniform vec4 NAME[N];", which GL
// would need set one glUniform call at a time; inside a std140 block the same array has
// the HLSL packing's 16-byte registers, so the constant buffer's image binds unchanged.
bool WrapFlattenedBlock(std::string& glsl, const std::string& name, int binding) {
  for (const char* vec : {"vec4", "ivec4", "uvec4"}) {
    std::string declaration = std::string("uniform ") + vec + " " + name + "[";
    std::size_t at = glsl.find(declaration);
    if (at == std::string::npos) continue;
    std::size_t end = glsl.find(';', at);
    if (end == std::string::npos) return false;
    std::size_t lineStart = glsl.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    std::string member = glsl.substr(at + 8, end - at - 8);  // "vec4 NAME[N]"
    glsl.replace(lineStart, end + 1 - lineStart,
                 "layout(std140, binding = " + std::to_string(binding) + ") uniform " + name + "_block { " + member +
                     "; };");
    return true;
  }
  return false;
}

}  // namespace

std::string CombinedSamplerName(const SamplerPair& pair) {
  return "fxs_" + Identifier(pair.texture) + "_" + (pair.sampler.empty() ? "load" : Identifier(pair.sampler));
}

bool ReflectStage(const std::vector<std::uint32_t>& spirv, StageReflection& out, std::string& error) {
  out = StageReflection();
  CrossCompiler cc(spirv);
  if (!cc.Ok()) {
    error = cc.Error();
    return false;
  }
  spvc_compiler c = cc.Get();
  for (const spvc_reflected_resource& r : cc.Resources(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
    ReflectedBlock block;
    block.name = r.name;
    spvc_type t = spvc_compiler_get_type_handle(c, r.base_type_id);
    unsigned n = spvc_type_get_num_member_types(t);
    spvc_basetype base = SPVC_BASETYPE_UNKNOWN;
    std::uint32_t std140End = 0;  // where the member before ends as a GL block lays it out
    for (unsigned i = 0; i < n; ++i) {
      ReflectedMember m;
      m.name = spvc_compiler_get_member_name(c, r.base_type_id, i);
      unsigned offset = 0;
      size_t size = 0;
      spvc_compiler_type_struct_member_offset(c, t, i, &offset);
      spvc_compiler_get_declared_struct_member_size(c, t, i, &size);
      m.offset = offset;
      m.size = static_cast<std::uint32_t>(size);
      if (!FitsStd140(c, spvc_type_get_member_type(t, i), offset, 0)) block.fitsStd140 = false;
      // A member placed in the unused end of an array's or a matrix's last register (as
      // HLSL packs) lies inside what std140 gives the one before.
      if (offset < std140End) block.fitsStd140 = false;
      const spvc_type memberType = spvc_compiler_get_type_handle(c, spvc_type_get_member_type(t, i));
      const bool padded = spvc_type_get_num_array_dimensions(memberType) > 0 || spvc_type_get_columns(memberType) > 1 ||
                          spvc_type_get_basetype(memberType) == SPVC_BASETYPE_STRUCT;
      std140End = offset + static_cast<std::uint32_t>(padded ? (size + 15) / 16 * 16 : size);
      CollectBaseTypes(c, spvc_type_get_member_type(t, i), base, block.oneScalarType, 0);
      block.members.push_back(m);
    }
    CollectPlain(c, t, "cb_" + Identifier(block.name) + ".", 0, block, 0);
    out.blocks.push_back(std::move(block));
  }
  out.inputs = Varyings(cc, SPVC_RESOURCE_TYPE_STAGE_INPUT);
  out.outputs = Varyings(cc, SPVC_RESOURCE_TYPE_STAGE_OUTPUT);
  for (auto& [pair, id] : cc.CombineSamplers()) {
    (void)id;
    out.samplers.push_back(pair);
  }
  return true;
}

namespace {

// Declares each partial output after the directives that open the text and copies it
// where every vertex is complete: before each EmitVertex of a geometry stage, at the end
// of a vertex stage's main, which comes last and has its outputs written by then.
bool AddPartialOutputs(std::string& glsl, const std::vector<GlslPlan::PartialOutput>& outputs, bool geometry) {
  std::string declarations, copies;
  for (const GlslPlan::PartialOutput& o : outputs) {
    declarations += std::string(o.integer ? "flat out " : "out ") + o.type + " " + o.name + ";\n";
    copies += o.name + " = " + o.source + "; ";
  }
  std::size_t at = 0;
  while (at < glsl.size() && glsl[at] == '#') {
    at = glsl.find('\n', at);
    if (at == std::string::npos) return false;
    ++at;
  }
  glsl.insert(at, declarations);
  if (!geometry) {
    const std::size_t end = glsl.rfind('}');
    if (end == std::string::npos) return false;
    glsl.insert(end, "    " + copies + "\n");
    return true;
  }
  static const std::string kEmit = "EmitVertex();";
  bool found = false;
  for (std::size_t p = glsl.find(kEmit); p != std::string::npos; p = glsl.find(kEmit, p + copies.size() + kEmit.size())) {
    glsl.insert(p, copies);
    found = true;
  }
  return found;
}

// Each distance input's declaration becomes a plain array, filled from gl_in as main
// begins; what the translation reads from it stays as it is.
bool ReadDistancesFromGlIn(std::string& glsl, const std::map<std::string, GlslPlan::DistanceInput>& inputs) {
  std::string fill;
  for (const auto& [key, input] : inputs) {
    const std::string name = "fx_distance_" + key;
    const std::size_t at = glsl.find(" " + name + "[");
    if (at == std::string::npos) continue;  // not read after all
    const std::size_t lineBegin = glsl.rfind('\n', at) + 1;
    const std::size_t inAt = glsl.find("in ", lineBegin);
    if (inAt == std::string::npos || inAt > at) return false;
    glsl.erase(lineBegin, inAt + 3 - lineBegin);
    std::string value = input.components == 1 ? "float(" : "vec" + std::to_string(input.components) + "(";
    for (std::uint32_t k = 0; k < input.components; ++k)
      value += std::string(k ? ", " : "") + "gl_in[fx_v]." + input.builtin + "[" + std::to_string(input.first + k) + "]";
    fill += "    for (int fx_v = 0; fx_v < gl_in.length(); ++fx_v) " + name + "[fx_v] = " + value + ");\n";
  }
  static const std::string kMain = "void main()\n{\n";
  const std::size_t main = glsl.find(kMain);
  if (main == std::string::npos) return false;
  glsl.insert(main + kMain.size(), fill);
  return true;
}

}  // namespace

bool EmitGlsl(const std::vector<std::uint32_t>& spirv, const GlslPlan& plan, std::string& glsl, std::string& error) {
  CrossCompiler cc(spirv);
  if (!cc.Ok()) {
    error = cc.Error();
    return false;
  }
  spvc_compiler c = cc.Get();
  for (const spvc_reflected_resource& r : cc.Resources(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
    auto it = plan.blockBindings.find(r.name);
    if (it != plan.blockBindings.end())
      spvc_compiler_set_decoration(c, r.id, SpvDecorationBinding, static_cast<unsigned>(it->second));
    spvc_compiler_set_name(c, r.id, ("cb_" + Identifier(r.name)).c_str());
    if (plan.flattenBlocks.count(r.name)) {
      // A flattened block is declared under its type's name.
      spvc_compiler_set_name(c, r.base_type_id, FlattenedName(r.name).c_str());
      if (spvc_compiler_flatten_buffer_block(c, r.id) != SPVC_SUCCESS) {
        error = cc.Error();
        return false;
      }
    }
  }
  auto relocate = [&](spvc_resource_type type, const std::map<std::string, int>& locations) {
    const std::map<spvc_variable_id, ReflectedVarying> semantics = Semantics(cc, type);
    for (const spvc_reflected_resource& r : cc.Resources(type)) {
      const ReflectedVarying& v = semantics.at(r.id);
      if (type == SPVC_RESOURCE_TYPE_STAGE_INPUT && plan.nameInputs)
        spvc_compiler_set_name(c, r.id, ("in_" + v.Key()).c_str());
      if (type == SPVC_RESOURCE_TYPE_STAGE_INPUT && plan.distanceInputs.count(v.Key()))
        spvc_compiler_set_name(c, r.id, ("fx_distance_" + v.Key()).c_str());
      if (type == SPVC_RESOURCE_TYPE_STAGE_OUTPUT && plan.nameOutputs)
        spvc_compiler_set_name(c, r.id, ("out_" + v.Key()).c_str());
      auto it = locations.find(v.Key());
      if (it != locations.end())
        spvc_compiler_set_decoration(c, r.id, SpvDecorationLocation, static_cast<unsigned>(it->second));
    }
  };
  relocate(SPVC_RESOURCE_TYPE_STAGE_INPUT, plan.inputLocations);
  relocate(SPVC_RESOURCE_TYPE_STAGE_OUTPUT, plan.outputLocations);
  for (auto& [pair, id] : cc.CombineSamplers()) {
    spvc_compiler_set_name(c, id, CombinedSamplerName(pair).c_str());
    auto it = plan.samplerUnits.find(pair);
    if (it != plan.samplerUnits.end())
      spvc_compiler_set_decoration(c, id, SpvDecorationBinding, static_cast<unsigned>(it->second));
  }
  spvc_compiler_options options = nullptr;
  spvc_compiler_create_compiler_options(c, &options);
  spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
  // gl_BaseInstance would need GL 4.6 or an extension; D3D10's SV_InstanceID starts at 0.
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SUPPORT_NONZERO_BASE_INSTANCE, SPVC_FALSE);
  // Applies to every block of the stage; the link decides it for the whole program, since
  // GL matches a uniform across stages only if each declares it the same way.
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_EMIT_UNIFORM_BUFFER_AS_PLAIN_UNIFORMS,
                                 plan.plainUniforms ? SPVC_TRUE : SPVC_FALSE);
  spvc_compiler_install_compiler_options(c, options);
  const char* source = nullptr;
  if (spvc_compiler_compile(c, &source) != SPVC_SUCCESS || !source) {
    error = cc.Error();
    return false;
  }
  glsl = source;
  if (!plan.distanceInputs.empty() && !ReadDistancesFromGlIn(glsl, plan.distanceInputs)) {
    error = "cannot read the clip or cull distances of the input vertices";
    return false;
  }
  if (!plan.partialOutputs.empty() &&
      !AddPartialOutputs(glsl, plan.partialOutputs, spvc_compiler_get_execution_model(c) == SpvExecutionModelGeometry)) {
    error = "cannot place the copies of the outputs stream output captures in part";
    return false;
  }
  for (const spvc_reflected_resource& r : cc.Resources(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
    if (!plan.flattenBlocks.count(r.name)) continue;
    auto it = plan.blockBindings.find(r.name);
    if (it == plan.blockBindings.end() || !WrapFlattenedBlock(glsl, FlattenedName(r.name), it->second)) {
      error = "cannot place the flattened constant buffer " + std::string(r.name);
      return false;
    }
  }
  return true;
}

}  // namespace platform::fx
