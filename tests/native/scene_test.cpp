// The demo scene's motion and drawing, recorded through its sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "demo/scene.h"

namespace {

struct DrawnVertex {
    float x, y, z;
    float r, g, b, a; // the colour current when the vertex was emitted
};
using Strip = std::vector<DrawnVertex>;

// One frame: the trail strip, then the live loop; 16 vertices per loop.
struct Frame {
    std::vector<Strip> strips;
    int colourCalls = 0;
    int Rows() const { return static_cast<int>(strips.at(0).size() / 16); }
    Strip Row(int r) const { return Strip(strips[0].begin() + 16 * r, strips[0].begin() + 16 * r + 16); }
    const Strip &Live() const { return strips.at(1); }
};

class Recorder : public SceneSink {
public:
    void BeginStrip() override { frame_.strips.emplace_back(); }
    void Color(float r, float g, float b, float a) override
    {
        current_ = {0, 0, 0, r, g, b, a};
        ++frame_.colourCalls;
    }
    void Vertex(float x, float y, float z) override
    {
        DrawnVertex vertex = current_;
        vertex.x = x, vertex.y = y, vertex.z = z;
        frame_.strips.back().push_back(vertex);
    }
    void EndStrip() override {}
    Frame Take() { return std::exchange(frame_, Frame()); }

private:
    Frame frame_;
    DrawnVertex current_{}; // its colour is the current one
};

// A scene as the program starts it, with a generator of its own.
struct SceneRun {
    SceneRun() { SetInitialScene(*state, random); }
    Frame Step()
    {
        StepScene(*state, recorder);
        return recorder.Take();
    }
    std::vector<Frame> Run(int count) // element n - 1 is frame n
    {
        std::vector<Frame> frames;
        while (count-- > 0)
            frames.push_back(Step());
        return frames;
    }
    std::unique_ptr<SceneState> state{new SceneState};
    SceneRandom random;
    Recorder recorder;
};

bool SamePlaces(const Strip &a, const Strip &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DrawnVertex &p, const DrawnVertex &q) {
        return p.x == q.x && p.y == q.y && p.z == q.z;
    });
}

bool AllAtOrigin(const Strip &row)
{
    return std::all_of(row.begin(), row.end(),
                       [](const DrawnVertex &v) { return v.x == 0 && v.y == 0 && v.z == -90.0f; });
}

// Each vertex coloured by its index from the loop's point 14 (z drawn 90
// deeper); the closing vertex keeps point 14's colour.
void ExpectLoopColours(const Strip &loop, float a, const std::string &where)
{
    ASSERT_EQ(loop.size(), 16u) << where;
    const DrawnVertex &p = loop[14];
    const float red = std::fabs(0.2f * p.x) + 0.5f, green = std::fabs(0.2f * p.y) + 0.5f,
                blue = std::fabs(0.2f * (p.z + 90.0f)) + 0.5f, dim = 0.1f * a;
    const float expected[3][4] = {{red, dim, dim, a}, {dim, green, 0.1f, a}, {dim, dim, blue, a}};
    for (int j = 0; j < 16; ++j) {
        const float *c = expected[std::min(j, 14) % 3];
        const DrawnVertex &v = loop[j];
        EXPECT_TRUE(std::fabs(v.r - c[0]) < 1e-5 && std::fabs(v.g - c[1]) < 1e-5 &&
                    std::fabs(v.b - c[2]) < 1e-5 && std::fabs(v.a - c[3]) < 1e-5)
            << where << ", vertex " << j;
    }
    EXPECT_TRUE(SamePlaces({loop[15]}, {loop[0]})) << where << ": the loop is closed";
}

TEST(Scene, StartsFromTheUnseededGenerator)
{
    SceneRandom random;
    for (int value : {41, 18467, 6334, 26500, 19169, 15724})
        EXPECT_EQ(random.Next(), value);

    SceneRun run;
    const SceneState &s = *run.state;
    EXPECT_TRUE(s.Positions[0].x == -7 && s.Positions[0].y == 6 && s.Positions[0].z == -4);
    EXPECT_TRUE(s.Velocities[0].x == 0 && s.Velocities[0].y == 3450 && s.Velocities[0].z == 1248);
    EXPECT_TRUE(s.Positions[14].x == 6 && s.Positions[14].y == 9 && s.Positions[14].z == 0);
    EXPECT_TRUE(s.Velocities[14].x == 1400 && s.Velocities[14].y == -2414 && s.Velocities[14].z == 2881);
    EXPECT_EQ(s.TrailLength, 0);
    EXPECT_EQ(s.FrameCounter, 0);
}

TEST(Scene, TwoRunsDrawIdenticalFramesOfTheExpectedSize)
{
    SceneRun first, second;
    for (int n = 1; n <= 700; ++n) {
        const Frame a = first.Step(), b = second.Step();
        const int rows = std::min((n - 1) / 5, 100);
        ASSERT_EQ(a.strips.size(), 2u);
        ASSERT_EQ(a.Rows(), rows) << "frame " << n;
        ASSERT_EQ(a.Live().size(), 16u);
        ASSERT_EQ(a.colourCalls, 15 * rows + 15) << "frame " << n;
        for (int s = 0; s < 2; ++s) {
            ASSERT_EQ(a.strips[s].size(), b.strips[s].size());
            if (a.strips[s].empty())
                continue; // an empty trail has no storage to compare
            ASSERT_EQ(0, std::memcmp(a.strips[s].data(), b.strips[s].data(),
                                     a.strips[s].size() * sizeof(DrawnVertex)))
                << "frame " << n;
        }
    }
}

// The snapshot goes into row 0 before the rows move down, so rows 0 and 1
// both hold the newest one and the last row is the never-written one.
TEST(Scene, TrailGrowsEveryFifthFrame)
{
    SceneRun run;
    const std::vector<Frame> f = run.Run(21);
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(f[n - 1].Rows(), 0) << "frame " << n;
    for (int n = 6; n <= 10; ++n) {
        ASSERT_EQ(f[n - 1].Rows(), 1) << "frame " << n;
        EXPECT_TRUE(SamePlaces(f[n - 1].Row(0), f[4].Live())) << "frame " << n;
    }
    for (int n = 11; n <= 15; ++n) {
        ASSERT_EQ(f[n - 1].Rows(), 2) << "frame " << n;
        EXPECT_TRUE(SamePlaces(f[n - 1].Row(0), f[9].Live())) << "frame " << n;
        EXPECT_TRUE(AllAtOrigin(f[n - 1].Row(1))) << "frame " << n;
    }
    const Frame &frame21 = f[20];
    ASSERT_EQ(frame21.Rows(), 4);
    EXPECT_TRUE(SamePlaces(frame21.Row(0), f[19].Live()));
    EXPECT_TRUE(SamePlaces(frame21.Row(1), f[19].Live()));
    EXPECT_TRUE(SamePlaces(frame21.Row(2), f[14].Live()));
    EXPECT_TRUE(AllAtOrigin(frame21.Row(3)));
}

TEST(Scene, TrailIsHeldAtOneHundredRows)
{
    SceneRun run;
    std::vector<Frame> f = run.Run(505);
    EXPECT_EQ(run.state->TrailLength, 101) << "after the snapshot of frame 505";
    f.push_back(run.Step());
    EXPECT_EQ(run.state->TrailLength, 100);
    // Frame 506 draws rows 0 to 99: the new snapshot twice, then frame
    // 505's rows moved down by one.
    ASSERT_EQ(f[505].Rows(), 100);
    EXPECT_TRUE(SamePlaces(f[505].Row(0), f[504].Live()));
    EXPECT_TRUE(SamePlaces(f[505].Row(1), f[504].Live()));
    for (int r = 2; r < 100; ++r)
        EXPECT_TRUE(SamePlaces(f[505].Row(r), f[504].Row(r - 1))) << "row " << r;
    EXPECT_GT(f[505].Row(99)[0].a, 0.0f);
    EXPECT_LT(f[505].Row(99)[0].a, 0.011f);
}

TEST(Scene, ColoursFollowTheIndexAndTheLastPoint)
{
    SceneRun run;
    const std::vector<Frame> f = run.Run(60);
    for (int n = 1; n <= 60; ++n) {
        ExpectLoopColours(f[n - 1].Live(), 1.0f, "live loop of frame " + std::to_string(n));
        for (int r = 0; r < f[n - 1].Rows(); ++r)
            ExpectLoopColours(f[n - 1].Row(r), 0.99f - 0.01f * r,
                              "frame " + std::to_string(n) + " row " + std::to_string(r));
    }
    // The green vertices of the trail keep a blue of exactly 0.1.
    EXPECT_EQ(f[59].Row(10)[4].b, 0.1f);
    EXPECT_NEAR(f[59].Row(10)[4].r, 0.089f, 1e-5);
}

// Hand-made states that single out the parts of the force loop; each
// expected value is a count of force steps.
TEST(Scene, ForceLoop)
{
    auto place = [](SceneState &s, ScenePoint position, ScenePoint velocity) {
        s = SceneState{};
        std::fill(std::begin(s.Positions), std::end(s.Positions), position);
        std::fill(std::begin(s.Velocities), std::end(s.Velocities), velocity);
    };
    std::unique_ptr<SceneState> s(new SceneState);
    Recorder recorder;

    // Every velocity feels the spring once per point of the outer loop.
    place(*s, {45, 0, 0}, {0, 0, 0});
    StepScene(*s, recorder);
    for (const ScenePoint &v : s->Velocities)
        EXPECT_NEAR(v.x, -15.0f, 0.01f);

    // Point 0's partner is point 14, so points 1 to 13 are pulled towards
    // point 14 twice and point 0 once.
    place(*s, {0, 0, 0}, {0, 0, 0});
    s->Positions[14] = {15, 0, 0};
    StepScene(*s, recorder);
    EXPECT_NEAR(s->Velocities[0].x, 1.0f, 0.01f);
    for (int i = 1; i < 14; ++i)
        EXPECT_NEAR(s->Velocities[i].x, 2.0f, 0.01f) << "point " << i;

    // A point moves once per partner other than itself: 14 x 1000 x 0.000002.
    place(*s, {0, 0, 0}, {1000, 0, 0});
    StepScene(*s, recorder);
    for (const ScenePoint &p : s->Positions)
        EXPECT_NEAR(p.x, 0.028f, 0.0005f);

    // The live loop shows the moved points, 90 deeper.
    const Frame frame = recorder.Take();
    EXPECT_EQ(frame.strips.back()[3].x, s->Positions[3].x);
    EXPECT_EQ(frame.strips.back()[3].z, s->Positions[3].z - 90.0f);
}

TEST(Scene, SurvivesACorruptTrailLengthAndCounter)
{
    SceneRun run;
    run.state->TrailLength = 123456;
    EXPECT_EQ(run.Step().Rows(), 100);
    run.state->TrailLength = -5;
    EXPECT_EQ(run.Step().Rows(), 0);
    run.state->FrameCounter = 0x7FFFFFFF;
    run.Step();
    EXPECT_EQ(run.state->FrameCounter, INT32_MIN) << "wraps instead of overflowing";
}

} // namespace
