#pragma once

// The game reads the level from its working folder first. Here the asteroids
// have a single vertex: they form no edge, so nothing can hit them or be hit
// by them, and the ship flies where the keys send it whatever the random field.
inline constexpr const char* HARMLESS_LEVEL = R"(<?xml version="1.0" encoding="utf-8"?>
<zeb>
    <level>
        <background>none</background>
        <asteroids>3</asteroids>
        <speed>1.5</speed>
    </level>
    <object>
        <type>player</type>
        <vertices count="4">1.5, 0.0, 0.0; -1.0, 0.9, 0.0; -0.5, 0.0, 0.0; -1.0, -0.9, 0.0;</vertices>
    </object>
    <object>
        <type>bullet</type>
        <vertices count="4">0.2, 0.0, 0.0; 0.0, 0.2, 0.0; -0.2, 0.0, 0.0; 0.0, -0.2, 0.0;</vertices>
    </object>
    <object>
        <type>asteroid</type>
        <vertices count="1">0.0, 0.0, 0.0;</vertices>
    </object>
</zeb>
)";
