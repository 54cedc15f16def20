// Draws state trees as Graphviz DOT text, for documentation and for looking at a machine's shape.
// Composite states become clusters, each transition an edge labelled with its event, an initial
// transition an edge from a small point, and internal transitions lines in their state's label.
// States only know their parent, so the caller lists them; parents and targets missing from the
// list are added. The output depends only on the list order, never on addresses.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "hsm/state.h"

namespace Zarn::Hsm {
namespace detail {

template <typename StateRange>
using RangeState = std::remove_cvref_t<decltype(**std::begin(std::declval<const StateRange&>()))>;

template <typename StateT>
class DotWriter {
public:
    using EventT = typename StateT::EventType;

    explicit DotWriter(const EventFormatter<EventT>& formatEvent) : formatEvent_(formatEvent) {}

    void Add(const StateT* state) {
        if (state != nullptr && IndexOf(state) == states_.size()) states_.push_back(state);
    }

    std::string Render(std::string_view graphName) {
        for (std::size_t i = 0; i < states_.size(); ++i) {
            Add(states_[i]->parent);
            Add(states_[i]->initial.target);
            for (const auto& transition : states_[i]->transitions) Add(transition.target);
        }

        out_ =
            "digraph \"" + Escape(graphName) + "\" {\n  compound=true;\n  node [shape=box, style=rounded];\n";
        for (const StateT* state : states_) {
            if (state->parent == nullptr) WriteState(state, 1);
        }
        for (const StateT* state : states_) WriteEdges(state);
        out_ += "}\n";
        return std::move(out_);
    }

private:
    std::size_t IndexOf(const StateT* state) const {
        std::size_t index = 0;
        while (index < states_.size() && states_[index] != state) ++index;
        return index;
    }

    std::string Id(const StateT* state) const { return "s" + std::to_string(IndexOf(state)); }

    bool IsComposite(const StateT* state) const {
        for (const StateT* other : states_) {
            if (other->parent == state) return true;
        }
        return false;
    }

    static bool IsWithin(const StateT* state, const StateT* ancestor) {
        for (; state != nullptr; state = state->parent) {
            if (state == ancestor) return true;
        }
        return false;
    }

    static std::string Escape(std::string_view text) {
        std::string escaped;
        for (char c : text) {
            if (c == '"' || c == '\\') escaped += '\\';
            if (c == '\n') {
                escaped += "\\n";
            } else {
                escaped += c;
            }
        }
        return escaped;
    }

    std::string EventText(const Transition<typename StateT::OwnerType, EventT>& transition) const {
        return formatEvent_ ? formatEvent_(EventT(transition.event)) : "n/a";
    }

    std::string Label(const StateT* state) const {
        std::string label = Escape(state->name);
        for (const auto& transition : state->transitions) {
            if (transition.target == nullptr) label += "\\n" + Escape(EventText(transition)) + " (internal)";
        }
        return label;
    }

    void WriteState(const StateT* state, int depth) {
        const std::string indent(2 * depth, ' ');
        const std::string id = Id(state);
        const bool composite = IsComposite(state);
        if (composite) {
            // Edges cannot end on a cluster, so an invisible point inside stands for it.
            out_ += indent + "subgraph cluster_" + id + " {\n";
            out_ += indent + "  label=\"" + Label(state) + "\";\n";
            out_ += indent + "  " + id + " [shape=point, style=invis];\n";
        } else {
            out_ += indent + id + " [label=\"" + Label(state) + "\"];\n";
        }
        const std::string& inner = composite ? indent + "  " : indent;
        if (state->initial.target != nullptr) out_ += inner + id + "_initial [shape=point, width=0.1];\n";
        if (composite) {
            for (const StateT* child : states_) {
                if (child->parent == state) WriteState(child, depth + 1);
            }
            out_ += indent + "}\n";
        }
    }

    // `leavesCluster`: the edge starts at a composite state's stand-in and should be drawn from the
    // cluster's border rather than from inside.
    void WriteEdge(const std::string& from, const StateT* source, bool leavesCluster, const StateT* target,
                   const std::string& label) {
        std::vector<std::string> attributes;
        if (leavesCluster && !IsWithin(target, source)) attributes.push_back("ltail=cluster_" + Id(source));
        if (IsComposite(target) && !IsWithin(source, target))
            attributes.push_back("lhead=cluster_" + Id(target));
        if (!label.empty()) attributes.push_back("label=\"" + label + "\"");

        out_ += "  " + from + " -> " + Id(target);
        for (std::size_t i = 0; i < attributes.size(); ++i) out_ += (i == 0 ? " [" : ", ") + attributes[i];
        out_ += attributes.empty() ? ";\n" : "];\n";
    }

    void WriteEdges(const StateT* state) {
        if (state->initial.target != nullptr) {
            WriteEdge(Id(state) + "_initial", state, false, state->initial.target, "");
        }
        const bool composite = IsComposite(state);
        for (const auto& transition : state->transitions) {
            if (transition.target != nullptr) {
                WriteEdge(Id(state), state, composite, transition.target, Escape(EventText(transition)));
            }
        }
    }

    const EventFormatter<EventT>& formatEvent_;
    std::vector<const StateT*> states_;
    std::string out_;
};

}  // namespace detail

// `states`: any range of pointers to the states of one or more trees (a root plus its
// descendants, in the order they should be drawn).
template <typename StateRange>
std::string RenderDot(std::string_view graphName, const StateRange& states,
                      const EventFormatter<typename detail::RangeState<StateRange>::EventType>& formatEvent) {
    detail::DotWriter<detail::RangeState<StateRange>> writer(formatEvent);
    for (const auto* state : states) writer.Add(state);
    return writer.Render(graphName);
}

}  // namespace Zarn::Hsm
