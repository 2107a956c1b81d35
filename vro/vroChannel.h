#pragma once

// Texture channels: each member's value is the texture unit a pass input is
// bound to, and every program's sampler of that channel points at that unit.
// Unit 0 belongs to no channel.
enum VROchannel {
    VRO_CHANNEL_A = 1,
    VRO_CHANNEL_B = 2,
    VRO_CHANNEL_C = 3,
    VRO_CHANNEL_D = 4,
    VRO_CHANNEL_TEXT = 5,
    VRO_CHANNEL_TEXT_DEBUG = 6,
};
