#include "hsm/state_machine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

namespace Zarn::Hsm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> warnings;

void CaptureWarning(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    warnings.emplace_back(text);
}

// Installs the capturing hook for one test and puts the previous one back.
class HsmTest : public ::testing::Test {
protected:
    void SetUp() override {
        warnings.clear();
        previous_ = SetWarningHook(&CaptureWarning);
    }
    void TearDown() override { SetWarningHook(previous_); }

private:
    WarningHook previous_ = nullptr;
};

struct Recorder {
    std::vector<std::string> trace;
};

using Machine = StateMachine<Recorder, std::string>;
using S = State<Recorder, std::string>;
using T = Transition<Recorder, std::string>;

std::string CurrentName(const Machine& machine) {
    return machine.Current() ? std::string(machine.Current()->name) : "null";
}

// Every trace line names the action and the current state as the action saw it.
template <const S& state>
void Enter(const Machine& machine) {
    machine.Owner()->trace.push_back(std::string(state.name) + ".entry@" + CurrentName(machine));
}

template <const S& state>
void Exit(const Machine& machine) {
    machine.Owner()->trace.push_back(std::string(state.name) + ".exit@" + CurrentName(machine));
}

void Act(const Machine& machine) { machine.Owner()->trace.push_back("act@" + CurrentName(machine)); }

void Init(const Machine& machine) { machine.Owner()->trace.push_back("init@" + CurrentName(machine)); }

// Root > A > {A1, A2}, Root > B > {B1, B2}, Root > {Loop, Stray}; Other is a tree of its own.
extern const S kRoot, kA, kA1, kA2, kB, kB1, kB2, kLoop, kStray, kOther;

constexpr T kRootTransitions[] = {
    {.event = "dup", .target = &kB2, .action = &Act},
    {.event = "internal", .action = &Act},
    {.event = "reset", .target = &kB2, .action = &Act},
    {.event = "away", .target = &kOther, .action = &Act},
    {.event = "loop", .target = &kLoop, .action = &Act},
    {.event = "stray", .target = &kStray, .action = &Act},
};
constexpr T kATransitions[] = {
    {.event = "toB", .target = &kB, .action = &Act},
};
constexpr T kA1Transitions[] = {
    {.event = "dup", .target = &kA2, .action = &Act},
    {.event = "dup", .target = &kB, .action = &Act},
    {.event = "self", .target = &kA1, .action = &Act},
    {.event = "up", .target = &kA, .action = &Act},
};

constexpr S kRoot{.name = "Root",
                  .entry = &Enter<kRoot>,
                  .exit = &Exit<kRoot>,
                  .initial = {.target = &kA, .action = &Init},
                  .transitions = kRootTransitions};
constexpr S kA{.name = "A",
               .parent = &kRoot,
               .entry = &Enter<kA>,
               .exit = &Exit<kA>,
               .initial = {.target = &kA1, .action = &Init},
               .transitions = kATransitions};
constexpr S kA1{
    .name = "A1", .parent = &kA, .entry = &Enter<kA1>, .exit = &Exit<kA1>, .transitions = kA1Transitions};
constexpr S kA2{.name = "A2", .parent = &kA, .entry = &Enter<kA2>, .exit = &Exit<kA2>};
constexpr S kB{.name = "B",
               .parent = &kRoot,
               .entry = &Enter<kB>,
               .exit = &Exit<kB>,
               .initial = {.target = &kB1, .action = &Init}};
constexpr S kB1{.name = "B1", .parent = &kB, .entry = &Enter<kB1>, .exit = &Exit<kB1>};
constexpr S kB2{.name = "B2", .parent = &kB, .entry = &Enter<kB2>, .exit = &Exit<kB2>};
constexpr S kLoop{
    .name = "Loop", .parent = &kRoot, .entry = &Enter<kLoop>, .initial = {.target = &kLoop, .action = &Init}};
constexpr S kStray{
    .name = "Stray", .parent = &kRoot, .entry = &Enter<kStray>, .initial = {.target = &kA1, .action = &Init}};
constexpr S kOther{.name = "Other", .entry = &Enter<kOther>};

// The tree is a compile-time constant and cannot be copied by accident.
static_assert(kA1.transitions[0].target == &kA2);
static_assert(!std::is_copy_constructible_v<S>);

std::string Quote(const std::string& event) { return event; }

class HsmStateMachine : public HsmTest {
protected:
    Recorder recorder;
    Machine machine{&recorder, "Test", kRoot, &Quote};
};

TEST_F(HsmStateMachine, StartEntersOutermostFirstAndFollowsInitialChain) {
    EXPECT_EQ(machine.Current(), &kRoot);
    EXPECT_THAT(recorder.trace, IsEmpty());

    machine.Start();

    EXPECT_THAT(recorder.trace,
                ElementsAre("Root.entry@Root", "init@Root", "A.entry@A", "init@A", "A1.entry@A1"));
    EXPECT_EQ(machine.Current(), &kA1);
    EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(HsmStateMachine, StopExitsInnermostFirstAndLeavesAStoppedMachine) {
    machine.Start();
    recorder.trace.clear();

    machine.Stop();

    EXPECT_THAT(recorder.trace, ElementsAre("A1.exit@A1", "A.exit@A", "Root.exit@Root"));
    EXPECT_EQ(machine.Current(), nullptr);

    recorder.trace.clear();
    EXPECT_FALSE(machine.ProcessEvent("reset"));
    machine.Start();
    machine.Stop();
    EXPECT_THAT(recorder.trace, IsEmpty());
    EXPECT_THAT(warnings,
                ElementsAre("State machine 'Test': Event 'reset' is not handled by state 'n/a', or its "
                            "ancestors. The event will be ignored."));
}

struct EventCase {
    const char* name;
    std::string event;
    bool handled;
    std::vector<std::string> trace;
    const S* finalState;
    std::vector<std::string> warnings;
};

void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }

class HsmProcessEvent : public HsmStateMachine, public ::testing::WithParamInterface<EventCase> {};

// Every case starts resting in A1, three levels deep.
TEST_P(HsmProcessEvent, RunsActionsInOrder) {
    const EventCase& c = GetParam();
    machine.Start();
    recorder.trace.clear();

    EXPECT_EQ(machine.ProcessEvent(c.event), c.handled);

    EXPECT_EQ(recorder.trace, c.trace);
    EXPECT_EQ(machine.Current(), c.finalState) << "rests in " << CurrentName(machine);
    EXPECT_EQ(warnings, c.warnings);
}

const std::vector<std::string> kLeaveA = {"A1.exit@A1", "A.exit@A", "act@Root"};

std::vector<std::string> Concat(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HsmProcessEvent,
    ::testing::Values(
        EventCase{"Unhandled",
                  "nope",
                  false,
                  {},
                  &kA1,
                  {"State machine 'Test': Event 'nope' is not handled by state 'A1', or its ancestors. The "
                   "event will be ignored."}},
        // A1's first "dup" row beats its second and Root's.
        EventCase{"InnerFirstRowWins", "dup", true, {"A1.exit@A1", "act@A", "A2.entry@A2"}, &kA2, {}},
        EventCase{"SelfRunsOnlyAction", "self", true, {"act@A1"}, &kA1, {}},
        EventCase{"InternalFromAncestorRunsOnlyAction", "internal", true, {"act@A1"}, &kA1, {}},
        EventCase{"SiblingFollowsInitial",
                  "toB",
                  true,
                  Concat(kLeaveA, {"B.entry@B", "init@B", "B1.entry@B1"}),
                  &kB1,
                  {}},
        // B2 is entered through B, and B's initial transition is not taken on the way.
        EventCase{
            "InheritedFromRoot", "reset", true, Concat(kLeaveA, {"B.entry@B", "B2.entry@B2"}), &kB2, {}},
        EventCase{"ToAncestorEntersNothing", "up", true, {"A1.exit@A1", "act@A"}, &kA, {}},
        EventCase{"ToAnotherTree",
                  "away",
                  false,
                  {},
                  &kA1,
                  {"State machine 'Test': The transition from state 'A1' to state 'Other' on event 'away' is "
                   "invalid because the states do not share a common ancestry. The event will be ignored."}},
        EventCase{
            "InitialToSelfIgnored",
            "loop",
            true,
            Concat(kLeaveA, {"Loop.entry@Loop"}),
            &kLoop,
            {"State machine 'Test': The initial transition from state 'Loop' to state 'Loop' is invalid "
             "because the target state is not a descendant. The transition will be ignored."}},
        EventCase{"InitialOutsideIgnored",
                  "stray",
                  true,
                  Concat(kLeaveA, {"Stray.entry@Stray"}),
                  &kStray,
                  {"State machine 'Test': The initial transition from state 'Stray' to state 'A1' is invalid "
                   "because the target state is not a descendant. The transition will be ignored."}}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return info.param.name; });

TEST_F(HsmTest, EventTextIsNaWithoutFormatter) {
    Recorder recorder;
    Machine machine(&recorder, "Plain", kRoot);
    machine.Start();

    EXPECT_FALSE(machine.ProcessEvent("nope"));

    EXPECT_THAT(warnings,
                ElementsAre("State machine 'Plain': Event 'n/a' is not handled by state 'A1', or its "
                            "ancestors. The event will be ignored."));
}

TEST(HsmSilence, NoHookMeansNoFormatting) {
    ASSERT_EQ(CurrentWarningHook(), nullptr);
    int formatted = 0;
    Recorder recorder;
    Machine machine(&recorder, "Quiet", kRoot, [&formatted](const std::string& event) {
        ++formatted;
        return event;
    });
    machine.Start();

    EXPECT_FALSE(machine.ProcessEvent("nope"));
    EXPECT_EQ(formatted, 0);
}

enum class Signal { Go, Halt };

struct Counter {
    int runs = 0;
};

using SignalMachine = StateMachine<Counter, Signal>;
using SignalState = State<Counter, Signal>;
using SignalTransition = Transition<Counter, Signal>;

void CountRun(const SignalMachine& machine) { ++machine.Owner()->runs; }

extern const SignalState kMachine, kIdle, kBusy;
constexpr SignalTransition kIdleTransitions[] = {{.event = Signal::Go, .target = &kBusy}};
constexpr SignalTransition kBusyTransitions[] = {{.event = Signal::Halt, .target = &kIdle}};
constexpr SignalState kMachine{.name = "Machine", .initial = {.target = &kIdle}};
constexpr SignalState kIdle{.name = "Idle", .parent = &kMachine, .transitions = kIdleTransitions};
constexpr SignalState kBusy{
    .name = "Busy", .parent = &kMachine, .entry = &CountRun, .transitions = kBusyTransitions};

TEST_F(HsmTest, EnumEventsDriveTheMachine) {
    Counter counter;
    SignalMachine machine(&counter, "Signals", kMachine,
                          [](Signal signal) { return "signal " + std::to_string(static_cast<int>(signal)); });
    machine.Start();
    ASSERT_EQ(machine.Current(), &kIdle);

    EXPECT_TRUE(machine.ProcessEvent(Signal::Go));
    EXPECT_EQ(machine.Current(), &kBusy);
    EXPECT_FALSE(machine.ProcessEvent(Signal::Go));
    EXPECT_TRUE(machine.ProcessEvent(Signal::Halt));
    EXPECT_TRUE(machine.ProcessEvent(Signal::Go));

    EXPECT_EQ(counter.runs, 2);
    EXPECT_THAT(warnings,
                ElementsAre("State machine 'Signals': Event 'signal 0' is not handled by state 'Busy', "
                            "or its ancestors. The event will be ignored."));
}

}  // namespace
}  // namespace Zarn::Hsm
