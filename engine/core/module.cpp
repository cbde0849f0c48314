#include "engine/core/module.h"

namespace engine {
namespace core {

Module::Module() : name(L"untitled"), priority(5000), alive(true) {}
Module::Module(const Module& other) = default;
Module& Module::operator=(const Module& other) = default;
Module::~Module() = default;

bool Module::Load() { return true; }
void Module::Pause() {}
bool Module::Paused() const { return false; }
void Module::Resume() {}

std::wstring Module::Name() const { return name; }
void Module::Name(const std::wstring& name_) { name = name_; }
int Module::Priority() const { return priority; }
void Module::Priority(int priority_) { priority = priority_; }
bool Module::Alive() const { return alive; }
void Module::SetAlive(bool alive_) { alive = alive_; }

}  // namespace core
}  // namespace engine
