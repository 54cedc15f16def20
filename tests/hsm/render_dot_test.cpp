#include "hsm/render_dot.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn::Hsm {
namespace {

struct Owner {};

using S = State<Owner, std::string>;
using T = Transition<Owner, std::string>;

extern const S kRoot, kIdle, kBusy, kWorking, kPaused;

constexpr T kIdleTransitions[] = {
    {.event = "tick"},
    {.event = "go", .target = &kBusy},
};
constexpr T kBusyTransitions[] = {{.event = "halt", .target = &kIdle}};
constexpr T kWorkingTransitions[] = {{.event = "pause", .target = &kPaused}};
constexpr T kPausedTransitions[] = {
    {.event = "again", .target = &kPaused},
    {.event = "reset", .target = &kRoot},
};

constexpr S kRoot{.name = "Root", .initial = {.target = &kIdle}};
constexpr S kIdle{.name = "Idle", .parent = &kRoot, .transitions = kIdleTransitions};
constexpr S kBusy{
    .name = "Busy", .parent = &kRoot, .initial = {.target = &kWorking}, .transitions = kBusyTransitions};
constexpr S kWorking{.name = "Working", .parent = &kBusy, .transitions = kWorkingTransitions};
constexpr S kPaused{.name = "Paused \"soft\"", .parent = &kBusy, .transitions = kPausedTransitions};

TEST(HsmRenderDot, DrawsClustersInitialPointsAndTransitions) {
    // Paused is missing from the list and is found through Working's transition.
    const S* const states[] = {&kRoot, &kIdle, &kBusy, &kWorking};

    const std::string dot = RenderDot("Demo", states, [](const std::string& event) { return "EV." + event; });

    EXPECT_EQ(dot, R"dot(digraph "Demo" {
  compound=true;
  node [shape=box, style=rounded];
  subgraph cluster_s0 {
    label="Root";
    s0 [shape=point, style=invis];
    s0_initial [shape=point, width=0.1];
    s1 [label="Idle\nEV.tick (internal)"];
    subgraph cluster_s2 {
      label="Busy";
      s2 [shape=point, style=invis];
      s2_initial [shape=point, width=0.1];
      s3 [label="Working"];
      s4 [label="Paused \"soft\""];
    }
  }
  s0_initial -> s1;
  s1 -> s2 [lhead=cluster_s2, label="EV.go"];
  s2_initial -> s3;
  s2 -> s1 [ltail=cluster_s2, label="EV.halt"];
  s3 -> s4 [label="EV.pause"];
  s4 -> s4 [label="EV.again"];
  s4 -> s0 [label="EV.reset"];
}
)dot");
}

TEST(HsmRenderDot, LabelsEventsNaWithoutFormatter) {
    const S* const states[] = {&kIdle};

    const std::string dot = RenderDot("G", states, {});

    EXPECT_NE(dot.find(R"dot(s0 [label="Idle\nn/a (internal)"];)dot"), std::string::npos) << dot;
    EXPECT_NE(dot.find(R"dot(s0 -> s2 [lhead=cluster_s2, label="n/a"];)dot"), std::string::npos) << dot;
}

}  // namespace
}  // namespace Zarn::Hsm
