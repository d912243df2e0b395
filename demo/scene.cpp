// The scene's motion and drawing, free of any platform header.
#include "scene.h"

#include <cmath>
#include <cstring>

SceneState TheScene;
SceneRandom TheSceneRandom;

namespace {

constexpr float SpringFactor = 0.022222223f; // 1/45: pull towards the origin
constexpr float PullFactor = 0.06666667f;    // 1/15: pull towards a partner
constexpr float StepFactor = 0.000002f;      // position change per velocity unit
constexpr float DepthOffset = 90.0f;         // pushes the scene in front of the eye
constexpr float ColourScale = 0.2f;
constexpr float ColourBase = 0.5f;
constexpr float DimFactor = 0.1f;
constexpr float FadeStep = 0.01f;
constexpr int LastPoint = ScenePointCount - 1; // its coordinates colour the strip

// One starting coordinate: an integer from -7 to 8.
float RandomCoordinate(SceneRandom &random)
{
    return static_cast<float>((random.Next() / 10 - 1500) / 200);
}

float RandomSpeed(SceneRandom &random, int point)
{
    return static_cast<float>(-4500 + 5 * point + 3 * (random.Next() / 10));
}

// The colour of a vertex depends only on its index and on the last point of
// its strip, which picks how bright the dominant channel is. The trail fades
// every channel except the blue of the green vertices.
void EmitColour(SceneSink &sink, int index, const ScenePoint &last, float alpha)
{
    const float dim = DimFactor * alpha;
    switch (index % 3) {
    case 0:
        sink.Color(std::fabs(ColourScale * last.x) + ColourBase, dim, dim, alpha);
        break;
    case 1:
        sink.Color(dim, std::fabs(ColourScale * last.y) + ColourBase, DimFactor, alpha);
        break;
    default:
        sink.Color(dim, dim, std::fabs(ColourScale * last.z) + ColourBase, alpha);
        break;
    }
}

void EmitVertex(SceneSink &sink, const ScenePoint &point)
{
    sink.Vertex(point.x, point.y, point.z - DepthOffset);
}

// One closed loop: every point with its colour, then point 0 again in the
// colour of the last point.
void EmitLoop(SceneSink &sink, const ScenePoint (&points)[ScenePointCount], float alpha)
{
    const ScenePoint &last = points[LastPoint];
    for (int j = 0; j < ScenePointCount; ++j) {
        EmitColour(sink, j, last, alpha);
        EmitVertex(sink, points[j]);
    }
    EmitVertex(sink, points[0]);
}

// All rows share one strip, so a segment also joins each row to the next.
void DrawTrail(SceneState &scene, SceneSink &sink)
{
    sink.BeginStrip();
    for (int row = 0; row < scene.TrailLength; ++row) {
        scene.Alpha -= FadeStep;
        EmitLoop(sink, scene.Trail[row], scene.Alpha);
    }
    sink.EndStrip();
}

// Every update sees the changes made by earlier pairs of the same frame;
// the motion depends on this order.
void ApplyForces(SceneState &scene)
{
    ScenePoint *pos = scene.Positions;
    ScenePoint *vel = scene.Velocities;
    for (int i = 0; i < ScenePointCount; ++i) {
        for (int j = 0; j < ScenePointCount; ++j) {
            vel[j].x -= pos[j].x * SpringFactor;
            vel[j].y -= pos[j].y * SpringFactor;
            vel[j].z -= pos[j].z * SpringFactor;
            if (i == j)
                continue;
            const int k = j >= 1 ? j : LastPoint;
            vel[i].x += (pos[k].x - pos[i].x) * PullFactor;
            vel[i].y += (pos[k].y - pos[i].y) * PullFactor;
            vel[i].z += (pos[k].z - pos[i].z) * PullFactor;
            pos[i].x += vel[i].x * StepFactor;
            pos[i].y += vel[i].y * StepFactor;
            pos[i].z += vel[i].z * StepFactor;
        }
    }
}

void DrawLiveLoop(const SceneState &scene, SceneSink &sink)
{
    sink.BeginStrip();
    EmitLoop(sink, scene.Positions, 1.0f);
    sink.EndStrip();
}

// The new snapshot goes into row 0 before the rows move down, so rows 0
// and 1 both hold it and the previous newest one is dropped.
void TakeSnapshot(SceneState &scene)
{
    std::memcpy(scene.Trail[0], scene.Positions, sizeof scene.Trail[0]);
    for (int n = scene.TrailLength - 1; n >= 1; --n)
        std::memcpy(scene.Trail[n], scene.Trail[n - 1], sizeof scene.Trail[n]);
    ++scene.TrailLength;
}

} // namespace

int SceneRandom::Next()
{
    State = State * 214013u + 2531011u;
    return static_cast<int>((State >> 16) & 0x7FFF);
}

void SetInitialScene(SceneState &scene, SceneRandom &random)
{
    std::memset(&scene, 0, sizeof scene);
    for (int i = 0; i < ScenePointCount; ++i) {
        ScenePoint &pos = scene.Positions[i];
        ScenePoint &vel = scene.Velocities[i];
        pos.x = RandomCoordinate(random);
        pos.y = RandomCoordinate(random) + 5.0f;
        pos.z = RandomCoordinate(random);
        vel.x = static_cast<float>(100 * i);
        vel.y = RandomSpeed(random, i);
        vel.z = RandomSpeed(random, i);
    }
}

void StepScene(SceneState &scene, SceneSink &sink)
{
    // The trail never holds more than 100 rows; a length outside 0..100
    // (only 101, right after a snapshot) is brought back before drawing.
    if (scene.TrailLength >= SceneTrailRows)
        scene.TrailLength = SceneTrailRows;
    if (scene.TrailLength < 0)
        scene.TrailLength = 0;
    // Counted without signed overflow: after 2^31 frames it wraps.
    scene.FrameCounter = static_cast<int32_t>(static_cast<uint32_t>(scene.FrameCounter) + 1u);
    scene.Alpha = 1.0f;

    DrawTrail(scene, sink);
    ApplyForces(scene);
    DrawLiveLoop(scene, sink);

    if (scene.FrameCounter % SceneSnapshotPeriod == 0)
        TakeSnapshot(scene);
}
