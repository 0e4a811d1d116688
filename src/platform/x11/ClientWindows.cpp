// The client windows of the desktop, from the window manager's lists or the window tree.
#include "platform/x11/ClientWindows.h"

#include <algorithm>
#include <unordered_map>

namespace tugworth::x11 {
namespace {

// A client sits at most this deep below its top-level frame (frame, then a container or two).
constexpr int kMaxClientDepth = 3;

std::vector<xcb_window_t> viewableTopLevels(XConnection& conn,
                                            const std::vector<xcb_window_t>& children) {
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(children.size());
    for (xcb_window_t child : children) cookies.push_back(conn.sendGetAttributes(child));
    std::vector<xcb_window_t> result;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto attributes = conn.takeAttributes(cookies[i]);
        if (attributes && attributes->mapState == XCB_MAP_STATE_VIEWABLE &&
            !attributes->overrideRedirect && attributes->inputOutput) {
            result.push_back(children[i]);
        }
    }
    return result;
}

// Each top-level window (in the root's order, bottom-most first) with the windows of its
// subtree, its own first, a level at a time: one round trip per level.
struct Subtree {
    xcb_window_t topLevel;
    std::vector<xcb_window_t> windows;
};

std::vector<Subtree> subtrees(XConnection& conn, const std::vector<xcb_window_t>& topLevels) {
    std::vector<Subtree> result;
    std::vector<std::pair<std::size_t, xcb_window_t>> level;
    for (xcb_window_t w : topLevels) {
        level.emplace_back(result.size(), w);
        result.push_back({w, {w}});
    }
    for (int depth = 0; depth < kMaxClientDepth && !level.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(level.size());
        for (const auto& [owner, w] : level) cookies.push_back(conn.sendQueryTree(w));
        std::vector<std::pair<std::size_t, xcb_window_t>> next;
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            auto tree = conn.takeTree(cookies[i]);
            if (!tree) continue;
            for (xcb_window_t child : tree->children) {
                next.emplace_back(level[i].first, child);
                result[level[i].first].windows.push_back(child);
            }
        }
        level = std::move(next);
    }
    return result;
}

// The windows of `listed`, ordered as their top-level frames stack.
std::vector<xcb_window_t> inTreeOrder(const std::vector<Subtree>& trees,
                                      const std::vector<xcb_window_t>& listed) {
    std::vector<xcb_window_t> result;
    for (const Subtree& tree : trees) {
        for (xcb_window_t w : tree.windows) {
            if (std::find(listed.begin(), listed.end(), w) != listed.end()) result.push_back(w);
        }
    }
    return result;
}

// The windows that carry WM_STATE, the first of each top-level's subtree.
std::vector<xcb_window_t> withWmState(XConnection& conn, const std::vector<Subtree>& trees) {
    std::vector<std::vector<xcb_get_property_cookie_t>> cookies;
    for (const Subtree& tree : trees) {
        auto& mine = cookies.emplace_back();
        for (xcb_window_t w : tree.windows) {
            mine.push_back(conn.sendGetProperty(w, conn.atoms().WM_STATE, 2));
        }
    }
    std::vector<xcb_window_t> result;
    for (std::size_t t = 0; t < trees.size(); ++t) {
        bool found = false;
        for (std::size_t i = 0; i < cookies[t].size(); ++i) {
            const bool carries = conn.takeProperty(cookies[t][i]).exists();
            if (carries && !found) result.push_back(trees[t].windows[i]);
            found = found || carries;
        }
    }
    return result;
}

}  // namespace

std::vector<xcb_window_t> clientWindowsBottomToTop(XConnection& conn, bool windowManagerRunning) {
    const auto& a = conn.atoms();
    if (windowManagerRunning) {
        auto stacking = conn.getProperty(conn.root(), a.NET_CLIENT_LIST_STACKING, 65536);
        if (stacking.exists()) {
            auto words = stacking.words();
            return words ? std::vector<xcb_window_t>(words->begin(), words->end())
                         : std::vector<xcb_window_t>{};
        }
    }
    auto tree = conn.queryTree(conn.root());
    if (!tree) return {};
    if (!windowManagerRunning) return viewableTopLevels(conn, tree->children);
    const auto trees = subtrees(conn, tree->children);
    auto clients = conn.getProperty(conn.root(), a.NET_CLIENT_LIST, 65536);
    if (auto words = clients.words(); words && clients.exists()) {
        return inTreeOrder(trees, std::vector<xcb_window_t>(words->begin(), words->end()));
    }
    return withWmState(conn, trees);
}

}  // namespace tugworth::x11
