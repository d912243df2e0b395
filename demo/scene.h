// The demo scene: a closed loop of 15 points pulled towards the origin and
// towards each other, leaving a fading trail of snapshots behind it.
//
// This file is pure logic. It needs neither windows.h nor OpenGL: a frame
// is emitted through a SceneSink, which the program connects to OpenGL
// (scene_gl.cpp) and the native tests connect to a recorder.
#pragma once
#include <cstdint>

constexpr int ScenePointCount = 15;   // points in the loop and in each trail row
constexpr int SceneTrailRows = 100;   // capacity of the trail
constexpr int SceneSnapshotPeriod = 5; // frames between two snapshots

struct ScenePoint {
    float x, y, z;
};

// The scene's whole state. One instance lives for the process (TheScene);
// the tests make their own.
struct SceneState {
    ScenePoint Positions[ScenePointCount];
    ScenePoint Velocities[ScenePointCount];
    ScenePoint Trail[SceneTrailRows][ScenePointCount]; // newest snapshot in row 0
    int32_t TrailLength;  // rows drawn; briefly 101 right after a snapshot
    int32_t FrameCounter; // frames drawn so far
    float Alpha;          // fading alpha while the trail is drawn
};

// The random numbers of the initial values. It is deliberately never seeded
// from anything, so every run starts from the same loop.
struct SceneRandom {
    uint32_t State = 1;
    // A number from 0 to 32767.
    int Next();
};

// Where a frame goes: line strips of coloured vertices.
class SceneSink {
public:
    virtual void BeginStrip() = 0;
    virtual void Color(float red, float green, float blue, float alpha) = 0;
    virtual void Vertex(float x, float y, float z) = 0;
    virtual void EndStrip() = 0;

protected:
    ~SceneSink() = default;
};

// Empties the trail and counters and draws the starting positions and
// velocities from random.
void SetInitialScene(SceneState &scene, SceneRandom &random);

// Advances the scene by one step and emits its drawing: the trail, then the
// live loop. Always succeeds.
void StepScene(SceneState &scene, SceneSink &sink);

// The process-wide scene and its random source, used by the program.
extern SceneState TheScene;
extern SceneRandom TheSceneRandom;
