// Makes the skinned controls known to the stored-description reader.
#pragma once

namespace velmap::skin {

// Registers "TsPanel" and "TsSpeedButton" with their published properties
// (SkinData.SkinSection and the rest). Idempotent.
void RegisterSkinControlClasses();

}  // namespace velmap::skin
