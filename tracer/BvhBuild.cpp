#include "tracer/ModelBvh.h"

#include "tracer/CullingMargins.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// On the default scene's rays 64 bins visit 2 % fewer nodes and leaves than 32; 128 no fewer.
constexpr std::size_t kBinCount = 64;

struct Box {
    std::array<float, 3> low{kInfinity, kInfinity, kInfinity};
    std::array<float, 3> high{-kInfinity, -kInfinity, -kInfinity};

    void grow(const Box& other)
    {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], other.low[axis]);
            high[axis] = std::max(high[axis], other.high[axis]);
        }
    }
    void include(const std::array<float, 3>& point)
    {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], point[axis]);
            high[axis] = std::max(high[axis], point[axis]);
        }
    }
    bool empty() const { return low[0] > high[0]; }
    // Half the surface area, in double so that large boxes do not overflow.
    double area() const
    {
        if (empty()) {
            return 0.0;
        }
        const double x = double{high[0]} - low[0];
        const double y = double{high[1]} - low[1];
        const double z = double{high[2]} - low[2];
        return x * y + y * z + z * x;
    }
};

// A part's cost grows with every four of its triangles, though a leaf holds up to a pack of
// eight: on the default scene's rays the search measured a few per cent slower when whole packs
// were counted, and slower still when every triangle was.
double costOf(std::uint32_t count) { return static_cast<double>((count + 3) / 4); }

// Appends the given faces of the mesh as full packs.
template <std::size_t Width, typename FaceOf>
void appendPacks(std::vector<TrianglePackOf<Width>>& packs, const LMesh& mesh, std::size_t count, FaceOf faceOf)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t face = faceOf(i);
        appendLane(packs, i, meshTriangleCorners(mesh, face), face);
    }
}

}  // namespace

// Builds a binary tree by binned surface-area heuristic, then collapses it to Width-wide nodes.
template <std::size_t Width>
class BvhBuilder {
    using Node = typename ModelBvhOf<Width>::Node;

public:
    BvhBuilder(ModelBvhOf<Width>& bvh, const LMesh& mesh) : m_bvh(bvh), m_mesh(mesh) {}

    void build()
    {
        float largest = 0.0f;
        std::vector<std::uint32_t> slivers;
        for (std::size_t face = 0; face < m_mesh.m_faceIndices.size(); ++face) {
            const TriangleCorners corners = meshTriangleCorners(m_mesh, face);
            if (isSliver(corners)) {
                slivers.push_back(static_cast<std::uint32_t>(face));
                continue;
            }
            largest = std::max(
                {largest, largestMagnitude(corners.p0), largestMagnitude(corners.p1), largestMagnitude(corners.p2)});
            m_faces.push_back(static_cast<std::uint32_t>(face));
        }
        appendPacks(m_bvh.m_slivers, m_mesh, slivers.size(), [&](std::size_t i) { return slivers[i]; });
        m_bvh.m_sliverCount = slivers.size();
        m_bvh.m_reach = largest * kReachFactor;
        m_bvh.m_nearParallelFaces = NearParallelFacesOf<Width>(m_mesh, m_faces, m_bvh.m_reach);
        if (m_faces.empty()) {
            return;
        }

        for (std::uint32_t face : m_faces) {
            const TriangleCorners corners = meshTriangleCorners(m_mesh, face);
            const float facePad = paddingFor(corners, largest);
            Box box;
            for (Vec3 p : {corners.p0, corners.p1, corners.p2}) {
                box.include({p.x, p.y, p.z});
            }
            for (int axis = 0; axis < 3; ++axis) {
                box.low[axis] -= facePad;
                box.high[axis] += facePad;
            }
            m_boxes.push_back(box);
            m_centres.push_back({box.low[0] * 0.5f + box.high[0] * 0.5f, box.low[1] * 0.5f + box.high[1] * 0.5f,
                                 box.low[2] * 0.5f + box.high[2] * 0.5f});
        }
        m_order.resize(m_faces.size());
        for (std::uint32_t i = 0; i < m_order.size(); ++i) {
            m_order[i] = i;
        }

        const std::uint32_t root = buildBinary(0, static_cast<std::uint32_t>(m_order.size()), 0);
        m_collapses.resize(m_binary.size());
        planCollapse(root);
        m_bvh.m_nodes.emplace_back();
        if (m_binary[root].isLeaf) {
            setChildren(0, {root});
        } else {
            emit(root, 0);
        }
    }

private:
    struct BinaryNode {
        Box box;
        bool isLeaf = false;
        std::uint32_t left = 0;   // inner: children
        std::uint32_t right = 0;  //
        std::uint32_t first = 0;  // leaf: range of m_order
        std::uint32_t count = 0;  //
    };

    std::uint32_t buildBinary(std::uint32_t first, std::uint32_t end, std::uint32_t depth)
    {
        Box box;
        Box centreBox;
        for (std::uint32_t i = first; i < end; ++i) {
            box.grow(m_boxes[m_order[i]]);
            centreBox.include(m_centres[m_order[i]]);
        }
        const std::uint32_t count = end - first;
        const std::uint32_t index = static_cast<std::uint32_t>(m_binary.size());
        m_binary.push_back({box, true, 0, 0, first, count});

        // A leaf is one pack: testing one triangle costs as much as a pack.
        if (count <= Width) {
            return index;
        }
        std::uint32_t middle = first;
        if (depth < ModelBvhOf<Width>::kDeepestCostSplit) {
            middle = costSplit(first, end, centreBox);
        }
        if (middle == first) {
            int axis = 0;
            for (int a = 1; a < 3; ++a) {
                if (centreBox.high[a] - centreBox.low[a] > centreBox.high[axis] - centreBox.low[axis]) {
                    axis = a;
                }
            }
            // All centres coincide, or the tree is deep: halve by position along the axis.
            middle = first + count / 2;
            std::nth_element(m_order.begin() + first, m_order.begin() + middle, m_order.begin() + end,
                             [&](std::uint32_t a, std::uint32_t b) { return m_centres[a][axis] < m_centres[b][axis]; });
        }
        const std::uint32_t left = buildBinary(first, middle, depth + 1);
        const std::uint32_t right = buildBinary(middle, end, depth + 1);
        m_binary[index].isLeaf = false;
        m_binary[index].left = left;
        m_binary[index].right = right;
        return index;
    }

    // The bins of one axis: centres from the low side of the centres' box, kBinCount to its extent.
    struct Binning {
        int axis;
        float low;
        float scale;

        std::size_t binOf(const std::array<float, 3>& centre) const
        {
            const float position = (centre[axis] - low) * scale;
            if (!(position > 0.0f)) {
                return 0;
            }
            return position < static_cast<float>(kBinCount - 1) ? static_cast<std::size_t>(position) : kBinCount - 1;
        }
    };

    // Partitions by the cheapest bin boundary of the three axes and returns where the right part
    // starts, or first when on every axis the centres fall in one bin.
    std::uint32_t costSplit(std::uint32_t first, std::uint32_t end, const Box& centreBox)
    {
        double bestCost = std::numeric_limits<double>::infinity();
        Binning best{0, 0.0f, 0.0f};
        std::size_t bestBoundary = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const float extent = centreBox.high[axis] - centreBox.low[axis];
            if (!(extent > 0.0f)) {
                continue;
            }
            const Binning binning{axis, centreBox.low[axis], static_cast<float>(kBinCount) / extent};
            std::array<Box, kBinCount> bins{};
            std::array<std::uint32_t, kBinCount> binCounts{};
            for (std::uint32_t i = first; i < end; ++i) {
                const std::size_t bin = binning.binOf(m_centres[m_order[i]]);
                bins[bin].grow(m_boxes[m_order[i]]);
                ++binCounts[bin];
            }
            std::array<double, kBinCount> rightCost{};
            Box rightBox;
            std::uint32_t rightCount = 0;
            for (std::size_t bin = kBinCount - 1; bin > 0; --bin) {
                rightBox.grow(bins[bin]);
                rightCount += binCounts[bin];
                rightCost[bin] = rightBox.area() * costOf(rightCount);
            }
            Box leftBox;
            std::uint32_t leftCount = 0;
            for (std::size_t boundary = 1; boundary < kBinCount; ++boundary) {
                leftBox.grow(bins[boundary - 1]);
                leftCount += binCounts[boundary - 1];
                if (leftCount == 0 || leftCount == end - first) {
                    continue;
                }
                const double cost = leftBox.area() * costOf(leftCount) + rightCost[boundary];
                if (cost < bestCost) {
                    bestCost = cost;
                    best = binning;
                    bestBoundary = boundary;
                }
            }
        }
        if (bestBoundary == 0) {
            return first;
        }
        const auto middle = std::partition(m_order.begin() + first, m_order.begin() + end, [&](std::uint32_t triangle) {
            return best.binOf(m_centres[triangle]) < bestBoundary;
        });
        return static_cast<std::uint32_t>(middle - m_order.begin());
    }

    // How a binary subtree becomes children of wide nodes, chosen by the surface-area heuristic:
    // the expected visits of a ray, every wide node and every leaf counted alike, weighted by the
    // area of its box. Opening an inner node saves its visit but takes more of its parent's slots.
    struct Collapse {
        // cost[i]: the subtree as at most i children of one wide node, i from 1 to Width.
        std::array<double, Width + 1> cost{};
        // For cost[i]: 0 for the subtree as one child (a leaf, or a wide node of its own), else
        // how many of the i children come from the left half.
        std::array<std::uint32_t, Width + 1> leftShare{};
        // As a wide node of its own: how many of its children come from the left half.
        std::uint32_t nodeLeftShare = 0;
    };

    void planCollapse(std::uint32_t binary)
    {
        const BinaryNode& node = m_binary[binary];
        Collapse& collapse = m_collapses[binary];
        const double visit = node.box.area();
        if (node.isLeaf) {
            collapse.cost.fill(visit);
            return;
        }
        planCollapse(node.left);
        planCollapse(node.right);
        const Collapse& left = m_collapses[node.left];
        const Collapse& right = m_collapses[node.right];
        // The cheapest way to give the two halves at most `children` slots together.
        auto cheapestShare = [&](std::size_t children, std::uint32_t& leftShare) {
            double cheapest = std::numeric_limits<double>::infinity();
            for (std::size_t share = 1; share < children; ++share) {
                const double cost = left.cost[share] + right.cost[children - share];
                if (cost < cheapest) {
                    cheapest = cost;
                    leftShare = static_cast<std::uint32_t>(share);
                }
            }
            return cheapest;
        };
        collapse.cost[1] = visit + cheapestShare(Width, collapse.nodeLeftShare);
        for (std::size_t children = 2; children <= Width; ++children) {
            std::uint32_t share = 0;
            const double opened = cheapestShare(children, share);
            const bool open = opened < collapse.cost[1];
            collapse.cost[children] = open ? opened : collapse.cost[1];
            collapse.leftShare[children] = open ? share : 0;
        }
    }

    // Appends the at most `slots` children that the binary subtree becomes.
    void collectChildren(std::uint32_t binary, std::size_t slots, std::vector<std::uint32_t>& children) const
    {
        const std::uint32_t leftShare = m_collapses[binary].leftShare[slots];
        if (leftShare == 0) {
            children.push_back(binary);
            return;
        }
        collectChildren(m_binary[binary].left, leftShare, children);
        collectChildren(m_binary[binary].right, slots - leftShare, children);
    }

    // Writes the wide node at position node for the binary inner node given.
    void emit(std::uint32_t binary, std::uint32_t node)
    {
        std::vector<std::uint32_t> children;
        const std::uint32_t leftShare = m_collapses[binary].nodeLeftShare;
        collectChildren(m_binary[binary].left, leftShare, children);
        collectChildren(m_binary[binary].right, Width - leftShare, children);
        setChildren(node, children);
    }

    void setChildren(std::uint32_t node, const std::vector<std::uint32_t>& children)
    {
        setNearToFar(m_bvh.m_nodes[node], children);
        for (std::size_t slot = 0; slot < Width; ++slot) {
            Box box;
            std::uint32_t reference = Node::kNoChild;  // an unused slot keeps the empty box
            if (slot < children.size()) {
                const BinaryNode& child = m_binary[children[slot]];
                box = child.box;
                if (child.isLeaf) {
                    reference = Node::kLeafFlag | static_cast<std::uint32_t>(m_bvh.m_leaves.size());
                    appendPacks(m_bvh.m_leaves, m_mesh, child.count,
                                [&](std::size_t i) { return m_faces[m_order[child.first + i]]; });
                } else {
                    reference = static_cast<std::uint32_t>(m_bvh.m_nodes.size());
                    m_bvh.m_nodes.emplace_back();
                }
            }
            Node& written = m_bvh.m_nodes[node];
            for (int axis = 0; axis < 3; ++axis) {
                written.boxes.low[axis][slot] = box.low[axis];
                written.boxes.high[axis][slot] = box.high[axis];
            }
            written.child[slot] = reference;
            if (reference != Node::kNoChild && (reference & Node::kLeafFlag) == 0) {
                emit(children[slot], reference);
            }
        }
    }

    // Per direction octant, the children near to far along the octant's diagonal, judged by the
    // centres of their boxes; unused slots last.
    void setNearToFar(Node& node, const std::vector<std::uint32_t>& children) const
    {
        for (unsigned octant = 0; octant < 8; ++octant) {
            std::array<double, Width> along{};
            for (std::size_t slot = 0; slot < Width; ++slot) {
                along[slot] = std::numeric_limits<double>::infinity();
                if (slot < children.size()) {
                    const Box& box = m_binary[children[slot]].box;
                    along[slot] = 0.0;
                    for (int axis = 0; axis < 3; ++axis) {
                        const double centre = (double{box.low[axis]} + box.high[axis]) * 0.5;
                        along[slot] += (octant >> axis & 1u) != 0 ? -centre : centre;
                    }
                }
            }
            std::array<std::uint32_t, Width> order{};
            for (std::size_t slot = 0; slot < Width; ++slot) {
                order[slot] = static_cast<std::uint32_t>(slot);
            }
            std::stable_sort(order.begin(), order.end(),
                             [&](std::uint32_t a, std::uint32_t b) { return along[a] < along[b]; });
            std::copy(order.begin(), order.end(), node.nearToFar[octant]);
        }
    }

    ModelBvhOf<Width>& m_bvh;
    const LMesh& m_mesh;
    std::vector<std::uint32_t> m_faces;  // the tree's faces; the rest index into this
    std::vector<Box> m_boxes;
    std::vector<std::array<float, 3>> m_centres;
    std::vector<std::uint32_t> m_order;
    std::vector<BinaryNode> m_binary;
    std::vector<Collapse> m_collapses;  // one for each of m_binary
};

template <std::size_t Width>
ModelBvhOf<Width>::ModelBvhOf(const Scene& scene)
{
    if (scene.hasModelMesh()) {
        BvhBuilder<Width>(*this, scene.modelMesh()).build();
    }
}

template class ModelBvhOf<kPackWidth>;
template class ModelBvhOf<kWidePackWidth>;
