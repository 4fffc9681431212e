#include "fit/monte_carlo_matching.h"

#include <algorithm>
#include <optional>

namespace vortlan {

namespace {

// What makes a peak interchangeable with another: its shape, and for each parameter whether the fit
// moves it and within which limits, or where it holds it.
struct ExchangeKey {
    short type = 0;
    float splitting = 0, ts = 0, tl = 0;
    struct Role {
        bool free = false;
        double held = 0;  // the value of a parameter the fit does not move
        short limited = 0;
        float low = 0, high = 0;

        bool operator==(const Role&) const = default;
    };
    std::array<Role, 4> roles{};

    bool operator==(const ExchangeKey&) const = default;
};

// Whether a parameter of another peak follows one of this peak's.
bool isReference(const Workspace& ws, int peak) {
    for (int p = 0; p < kPeakCount; ++p) {
        if (p == peak || !isTrue(ws.peaks[p].defined)) continue;
        for (PeakParam param : kPeakParams) {
            const ParamConstraint& c = ws.constraints[p].of(param);
            if (isTrue(c.linked) && c.refPeak == peak) return true;
        }
    }
    return false;
}

// The key of a peak that can trade places at all: none of its parameters tied either way, and one at
// least free.
std::optional<ExchangeKey> keyOf(const Workspace& ws, const SpectrumProblem& problem, int peak) {
    if (isReference(ws, peak)) return std::nullopt;
    const Peak& p = ws.peaks[peak];
    ExchangeKey key{p.type, p.splitting, p.ts, p.tl, {}};
    bool moves = false;
    for (PeakParam param : kPeakParams) {
        const ParamConstraint& c = ws.constraints[peak].of(param);
        if (isTrue(c.linked)) return std::nullopt;
        ExchangeKey::Role& role = key.roles[static_cast<std::size_t>(param)];
        role.free = problem.dependenceOf(peak, param, problem.start().data()).variable >= 0;
        if (!role.free) role.held = param == PeakParam::Gl ? p.gl : static_cast<double>(realParameter(p, param));
        if (isTrue(c.limited)) role = {role.free, role.held, c.limited, c.low, c.high};
        moves = moves || role.free;
    }
    if (!moves) return std::nullopt;
    return key;
}

}  // namespace

std::vector<std::vector<std::size_t>> exchangeablePeaks(const Workspace& ws, const SpectrumProblem& problem,
                                                        const std::vector<int>& peaks) {
    std::vector<ExchangeKey> keys;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const std::optional<ExchangeKey> key = keyOf(ws, problem, peaks[k]);
        if (!key) continue;
        const auto same = std::find(keys.begin(), keys.end(), *key);
        if (same == keys.end()) {
            keys.push_back(*key);
            groups.push_back({k});
        } else {
            groups[static_cast<std::size_t>(same - keys.begin())].push_back(k);
        }
    }
    std::erase_if(groups, [](const std::vector<std::size_t>& group) { return group.size() < 2; });
    return groups;
}

void matchToParents(std::vector<ReplicaPeak>& replica, const std::vector<ReplicaPeak>& parents,
                    const std::vector<std::vector<std::size_t>>& groups) {
    const auto byPosition = [](const ReplicaPeak& a, const ReplicaPeak& b) { return a[0] < b[0]; };
    for (const std::vector<std::size_t>& group : groups) {
        std::vector<std::size_t> slots = group;
        std::stable_sort(slots.begin(), slots.end(),
                         [&](std::size_t a, std::size_t b) { return byPosition(parents[a], parents[b]); });
        std::vector<ReplicaPeak> values;
        for (std::size_t k : group) values.push_back(replica[k]);
        std::stable_sort(values.begin(), values.end(), byPosition);
        for (std::size_t k = 0; k < slots.size(); ++k) replica[slots[k]] = values[k];
    }
}

}  // namespace vortlan
