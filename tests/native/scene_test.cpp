// The demo scene's motion and drawing, recorded through its sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "demo/scene.h"

namespace {

struct Colour {
    float r, g, b, a;
};

struct DrawnVertex {
    float x, y, z;
    Colour colour; // the colour current when the vertex was emitted
};

using Strip = std::vector<DrawnVertex>;

// What one frame drew: its strips in order.
struct Frame {
    std::vector<Strip> strips;
    int colourCalls = 0;

    const Strip &Trail() const { return strips.at(0); }
    const Strip &Live() const { return strips.at(1); }
    // Row r of the trail: 16 vertices, the last one closing the loop.
    Strip TrailRow(int r) const
    {
        return Strip(Trail().begin() + 16 * r, Trail().begin() + 16 * (r + 1));
    }
    int TrailRows() const { return static_cast<int>(Trail().size()) / 16; }
};

class RecordingSink : public SceneSink {
public:
    void BeginStrip() override
    {
        ASSERT_FALSE(open_) << "strips do not nest";
        open_ = true;
        frame_.strips.emplace_back();
    }
    void Color(float r, float g, float b, float a) override
    {
        current_ = {r, g, b, a};
        haveColour_ = true;
        ++frame_.colourCalls;
    }
    void Vertex(float x, float y, float z) override
    {
        ASSERT_TRUE(open_) << "vertex outside a strip";
        ASSERT_TRUE(haveColour_) << "vertex before any colour";
        frame_.strips.back().push_back({x, y, z, current_});
    }
    void EndStrip() override
    {
        ASSERT_TRUE(open_);
        open_ = false;
    }
    Frame Take()
    {
        EXPECT_FALSE(open_) << "a strip was left open";
        Frame taken = frame_;
        frame_ = Frame();
        return taken;
    }

private:
    Frame frame_;
    Colour current_{};
    bool haveColour_ = false;
    bool open_ = false;
};

// A scene of its own with its own unseeded random numbers: what the
// program has at start.
class SceneRun {
public:
    SceneRun() : scene_(new SceneState) { SetInitialScene(*scene_, random_); }
    SceneState &State() { return *scene_; }
    Frame Step()
    {
        StepScene(*scene_, sink_);
        return sink_.Take();
    }
    // Runs frames 1 to count and keeps every one (index 0 is frame 1).
    std::vector<Frame> Run(int count)
    {
        std::vector<Frame> frames;
        for (int i = 0; i < count; ++i)
            frames.push_back(Step());
        return frames;
    }

private:
    std::unique_ptr<SceneState> scene_;
    SceneRandom random_;
    RecordingSink sink_;
};

void ExpectSameCoordinates(const Strip &actual, const Strip &expected, const char *what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t v = 0; v < actual.size(); ++v) {
        EXPECT_EQ(actual[v].x, expected[v].x) << what << ", vertex " << v;
        EXPECT_EQ(actual[v].y, expected[v].y) << what << ", vertex " << v;
        EXPECT_EQ(actual[v].z, expected[v].z) << what << ", vertex " << v;
    }
}

// The colour a vertex with this index must have, from the last point of
// its loop as drawn (z already moved back by 90).
Colour ExpectedColour(int index, const DrawnVertex &last, float alpha)
{
    const float px = std::fabs(0.2f * last.x) + 0.5f;
    const float py = std::fabs(0.2f * last.y) + 0.5f;
    const float pz = std::fabs(0.2f * (last.z + 90.0f)) + 0.5f;
    switch (index % 3) {
    case 0: return {px, 0.1f * alpha, 0.1f * alpha, alpha};
    case 1: return {0.1f * alpha, py, 0.1f, alpha};
    default: return {0.1f * alpha, 0.1f * alpha, pz, alpha};
    }
}

void ExpectColour(const Colour &actual, const Colour &expected, const std::string &what)
{
    EXPECT_NEAR(actual.r, expected.r, 1e-5) << what;
    EXPECT_NEAR(actual.g, expected.g, 1e-5) << what;
    EXPECT_NEAR(actual.b, expected.b, 1e-5) << what;
    EXPECT_NEAR(actual.a, expected.a, 1e-5) << what;
}

// Every vertex of a loop coloured by its index from point 14, and the
// closing vertex (point 0 again) still in point 14's colour.
void ExpectLoopColours(const Strip &loop, float alpha, const std::string &what)
{
    ASSERT_EQ(loop.size(), 16u) << what;
    const DrawnVertex &last = loop[14];
    for (int j = 0; j < 16; ++j) {
        const int index = j < 15 ? j : 14;
        ExpectColour(loop[j].colour, ExpectedColour(index, last, alpha),
                     what + ", vertex " + std::to_string(j));
    }
    EXPECT_EQ(loop[15].x, loop[0].x) << what;
    EXPECT_EQ(loop[15].y, loop[0].y) << what;
    EXPECT_EQ(loop[15].z, loop[0].z) << what;
}

TEST(SceneStart, RandomNumbersAreTheUnseededGenerator)
{
    SceneRandom random;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected)
        EXPECT_EQ(random.Next(), value);
    // Only 15 bits of the state reach the caller.
    for (int i = 0; i < 100000; ++i) {
        const int value = random.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(SceneStart, FirstAndLastPointStartWhereTheGeneratorPutsThem)
{
    SceneRun run;
    const SceneState &s = run.State();
    EXPECT_EQ(s.Positions[0].x, -7.0f);
    EXPECT_EQ(s.Positions[0].y, 6.0f);
    EXPECT_EQ(s.Positions[0].z, -4.0f);
    EXPECT_EQ(s.Velocities[0].x, 0.0f);
    EXPECT_EQ(s.Velocities[0].y, 3450.0f);
    EXPECT_EQ(s.Velocities[0].z, 1248.0f);

    EXPECT_EQ(s.Positions[14].x, 6.0f);
    EXPECT_EQ(s.Positions[14].y, 9.0f);
    EXPECT_EQ(s.Positions[14].z, 0.0f);
    EXPECT_EQ(s.Velocities[14].x, 1400.0f);
    EXPECT_EQ(s.Velocities[14].y, -2414.0f);
    EXPECT_EQ(s.Velocities[14].z, 2881.0f);

    EXPECT_EQ(s.TrailLength, 0);
    EXPECT_EQ(s.FrameCounter, 0);
    for (int i = 0; i < ScenePointCount; ++i) {
        EXPECT_EQ(s.Velocities[i].x, 100.0f * i) << "point " << i;
        EXPECT_GE(s.Positions[i].x, -7.0f);
        EXPECT_LE(s.Positions[i].x, 8.0f);
        EXPECT_GE(s.Positions[i].y, -2.0f);
        EXPECT_LE(s.Positions[i].y, 13.0f);
        EXPECT_EQ(s.Positions[i].z, std::trunc(s.Positions[i].z)) << "whole numbers only";
    }
}

TEST(SceneRuns, TwoRunsDrawIdenticalFrames)
{
    SceneRun first, second;
    for (int n = 1; n <= 700; ++n) {
        const Frame a = first.Step();
        const Frame b = second.Step();
        ASSERT_EQ(a.strips.size(), b.strips.size()) << "frame " << n;
        for (size_t s = 0; s < a.strips.size(); ++s) {
            ASSERT_EQ(a.strips[s].size(), b.strips[s].size()) << "frame " << n;
            for (size_t v = 0; v < a.strips[s].size(); ++v) {
                const DrawnVertex &p = a.strips[s][v];
                const DrawnVertex &q = b.strips[s][v];
                ASSERT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z && p.colour.r == q.colour.r &&
                            p.colour.g == q.colour.g && p.colour.b == q.colour.b &&
                            p.colour.a == q.colour.a)
                    << "frame " << n << ", strip " << s << ", vertex " << v;
            }
        }
    }
}

// Frame n draws the trail strip, then the live loop; 16 vertices per loop
// (15 points and the closing one), one trail row more every fifth frame,
// at most 100 rows.
TEST(SceneRuns, VertexCountFollowsTheTrailLength)
{
    SceneRun run;
    for (int n = 1; n <= 1000; ++n) {
        const Frame f = run.Step();
        const int rows = std::min((n - 1) / 5, 100);
        ASSERT_EQ(f.strips.size(), 2u) << "frame " << n;
        ASSERT_EQ(f.Trail().size(), static_cast<size_t>(16 * rows)) << "frame " << n;
        ASSERT_EQ(f.Live().size(), 16u) << "frame " << n;
        ASSERT_EQ(f.colourCalls, 15 * rows + 15) << "frame " << n;
    }
    EXPECT_EQ(run.State().FrameCounter, 1000);
    EXPECT_LE(run.State().TrailLength, 101);
}

TEST(SceneTrail, RowsAppearEveryFifthFrameWithTheSnapshotBeforeTheShift)
{
    SceneRun run;
    const std::vector<Frame> f = run.Run(21); // f[n - 1] is frame n
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(f[n - 1].TrailRows(), 0) << "frame " << n;
    for (int n = 6; n <= 10; ++n) {
        ASSERT_EQ(f[n - 1].TrailRows(), 1) << "frame " << n;
        // The snapshot of frame 5 holds the loop as frame 5 drew it.
        ExpectSameCoordinates(f[n - 1].TrailRow(0), f[4].Live(), "row 0 after frame 5");
    }
    for (int n = 11; n <= 15; ++n) {
        ASSERT_EQ(f[n - 1].TrailRows(), 2) << "frame " << n;
        ExpectSameCoordinates(f[n - 1].TrailRow(0), f[9].Live(), "row 0 after frame 10");
        // Row 1 was never written: 15 points at the origin, pushed back.
        for (const DrawnVertex &v : f[n - 1].TrailRow(1)) {
            EXPECT_EQ(v.x, 0.0f);
            EXPECT_EQ(v.y, 0.0f);
            EXPECT_EQ(v.z, -90.0f);
        }
    }
    // From frame 15 on, rows 0 and 1 both hold the newest snapshot, the
    // older ones follow once, and the last row is still the unwritten one.
    const Frame &frame16 = f[15];
    ASSERT_EQ(frame16.TrailRows(), 3);
    ExpectSameCoordinates(frame16.TrailRow(0), f[14].Live(), "frame 16 row 0");
    ExpectSameCoordinates(frame16.TrailRow(1), f[14].Live(), "frame 16 row 1");
    EXPECT_EQ(frame16.TrailRow(2)[0].z, -90.0f);
    const Frame &frame21 = f[20];
    ASSERT_EQ(frame21.TrailRows(), 4);
    ExpectSameCoordinates(frame21.TrailRow(0), f[19].Live(), "frame 21 row 0");
    ExpectSameCoordinates(frame21.TrailRow(1), f[19].Live(), "frame 21 row 1");
    ExpectSameCoordinates(frame21.TrailRow(2), f[14].Live(), "frame 21 row 2");
    EXPECT_EQ(frame21.TrailRow(3)[7].z, -90.0f);
}

TEST(SceneTrail, HeldAtOneHundredRowsOnceFull)
{
    SceneRun run;
    std::vector<Frame> f = run.Run(505);
    // The snapshot of frame 500 makes 100 rows; frame 505's makes 101.
    EXPECT_EQ(f[500].TrailRows(), 100);
    EXPECT_EQ(run.State().TrailLength, 101);
    f.push_back(run.Step());
    EXPECT_EQ(f[505].TrailRows(), 100) << "frame 506 draws rows 0 to 99";
    EXPECT_EQ(run.State().TrailLength, 100);
    // Frame 505's snapshot moved every row down by one: rows 0 and 1 are
    // the new snapshot, row r of frame 506 is row r - 1 of frame 505.
    ExpectSameCoordinates(f[505].TrailRow(0), f[504].Live(), "frame 506 row 0");
    ExpectSameCoordinates(f[505].TrailRow(1), f[504].Live(), "frame 506 row 1");
    for (int r = 2; r < 100; ++r)
        ExpectSameCoordinates(f[505].TrailRow(r), f[504].TrailRow(r - 1), "shifted row");
}

TEST(SceneColours, EveryVertexColouredByItsIndexAndTheLastPoint)
{
    SceneRun run;
    const std::vector<Frame> f = run.Run(60);
    // Frames 1 to 60, so trails of up to 11 rows.
    for (int n = 1; n <= 60; ++n) {
        const Frame &frame = f[n - 1];
        ExpectLoopColours(frame.Live(), 1.0f, "live loop of frame " + std::to_string(n));
        float alpha = 1.0f;
        for (int r = 0; r < frame.TrailRows(); ++r) {
            alpha -= 0.01f;
            ExpectLoopColours(frame.TrailRow(r), alpha,
                              "frame " + std::to_string(n) + " row " + std::to_string(r));
        }
    }
    // The fade in plain numbers: row 0 at 0.99, row 10 at 0.89; the green
    // vertices keep a blue of exactly 0.1 whatever the fade.
    const Frame &last = f[59];
    ASSERT_EQ(last.TrailRows(), 11);
    EXPECT_NEAR(last.TrailRow(0)[0].colour.a, 0.99f, 1e-6);
    EXPECT_NEAR(last.TrailRow(10)[3].colour.a, 0.89f, 1e-5);
    EXPECT_NEAR(last.TrailRow(10)[3].colour.g, 0.089f, 1e-5);
    EXPECT_EQ(last.TrailRow(10)[4].colour.b, 0.1f);
    EXPECT_NEAR(last.TrailRow(10)[4].colour.r, 0.089f, 1e-5);
}

TEST(SceneColours, LongTrailFadesNearlyToNothing)
{
    SceneRun run;
    Frame frame;
    for (int n = 1; n <= 600; ++n)
        frame = run.Step();
    ASSERT_EQ(frame.TrailRows(), 100);
    const float lastAlpha = frame.TrailRow(99)[0].colour.a;
    EXPECT_GT(lastAlpha, 0.0f);
    EXPECT_LT(lastAlpha, 0.011f);
}

// Hand-made states that single out each part of the force loop.
class SceneForces : public ::testing::Test {
protected:
    SceneForces() : scene_(new SceneState{}) {}
    void PlaceAll(ScenePoint position, ScenePoint velocity)
    {
        for (int i = 0; i < ScenePointCount; ++i) {
            scene_->Positions[i] = position;
            scene_->Velocities[i] = velocity;
        }
    }
    Frame Step()
    {
        StepScene(*scene_, sink_);
        return sink_.Take();
    }
    std::unique_ptr<SceneState> scene_;
    RecordingSink sink_;
};

// Every point's velocity feels the spring once for every point of the
// outer loop: 15 times 45 / 45 per frame.
TEST_F(SceneForces, SpringActsFifteenTimesPerFrame)
{
    PlaceAll({45, 0, 0}, {0, 0, 0});
    Step();
    for (int i = 0; i < ScenePointCount; ++i)
        EXPECT_NEAR(scene_->Velocities[i].x, -15.0f, 0.01f) << "point " << i;
}

// Point 0's partner is point 14, so every other point is pulled towards
// point 14 twice; point 0 itself only once.
TEST_F(SceneForces, PointZeroPullsTowardsTheLastPoint)
{
    PlaceAll({0, 0, 0}, {0, 0, 0});
    scene_->Positions[14] = {15, 0, 0};
    Step();
    EXPECT_NEAR(scene_->Velocities[0].x, 1.0f, 0.01f);
    for (int i = 1; i < 14; ++i)
        EXPECT_NEAR(scene_->Velocities[i].x, 2.0f, 0.01f) << "point " << i;
}

// A point moves once for every partner other than itself: 14 steps of
// 1000 x 0.000002 per frame.
TEST_F(SceneForces, EachPointMovesFourteenStepsPerFrame)
{
    PlaceAll({0, 0, 0}, {1000, 0, 0});
    Step();
    for (int i = 0; i < ScenePointCount; ++i)
        EXPECT_NEAR(scene_->Positions[i].x, 0.028f, 0.0005f) << "point " << i;
}

// The live loop shows the positions after this frame's motion, 90 deeper.
TEST_F(SceneForces, LiveLoopDrawsTheMovedPoints)
{
    SceneRandom random;
    SetInitialScene(*scene_, random);
    const ScenePoint before = scene_->Positions[3];
    const Frame frame = Step();
    const ScenePoint after = scene_->Positions[3];
    EXPECT_NE(before.y, after.y);
    EXPECT_EQ(frame.Live()[3].x, after.x);
    EXPECT_EQ(frame.Live()[3].y, after.y);
    EXPECT_EQ(frame.Live()[3].z, after.z - 90.0f);
}

TEST_F(SceneForces, OutOfRangeTrailLengthIsBroughtBackBeforeDrawing)
{
    PlaceAll({1, 2, 3}, {0, 0, 0});
    scene_->TrailLength = 123456;
    EXPECT_EQ(Step().TrailRows(), 100);
    scene_->TrailLength = -5;
    EXPECT_EQ(Step().TrailRows(), 0);
    scene_->FrameCounter = 0x7FFFFFFF; // the next frame wraps instead of overflowing
    Step();
    EXPECT_EQ(scene_->FrameCounter, static_cast<int32_t>(0x80000000u));
}

} // namespace
