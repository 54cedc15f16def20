// The engine's one diagnostic outlet. Unhandled events, transitions between trees and invalid
// initial transitions are reported to the installed hook as a printf-style format text whose
// arguments are all C strings. No hook is installed by default, so the reports go nowhere; tests
// and tools install one to see them. Safe to swap from any thread; a hook must not throw.
#pragma once

#include <atomic>

namespace Zarn::Hsm {

using WarningHook = void (*)(const char* format, ...);

namespace detail {
inline std::atomic<WarningHook> warningHook{nullptr};
}  // namespace detail

// Installs `hook` (null silences the engine) and returns the previous one.
inline WarningHook SetWarningHook(WarningHook hook) noexcept { return detail::warningHook.exchange(hook); }

inline WarningHook CurrentWarningHook() noexcept { return detail::warningHook.load(); }

}  // namespace Zarn::Hsm
