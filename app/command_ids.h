#pragma once

// Every command of the workstation by its numeric id. Where a menu item and a
// toolbar button carry different ids for the same command, both are listed.
namespace cmd {

// File
inline constexpr int fileNew = 57600;             // Add
inline constexpr int fileOpen = 57601;
inline constexpr int fileClose = 57602;
inline constexpr int printSetup = 57606;
inline constexpr int print = 57607;
inline constexpr int printPreview = 57609;
inline constexpr int recentFile1 = 57616;         // ... recentFile1 + 3
inline constexpr int exit = 57665;
inline constexpr int downloadMenu = 32799;
inline constexpr int downloadButton = 32801;
inline constexpr int appendMenu = 32797;
inline constexpr int appendButton = 32798;
inline constexpr int importMenu = 32830;

// Edit: no handlers, always disabled
inline constexpr int undo = 57643;
inline constexpr int cut = 57635;
inline constexpr int copy = 57634;
inline constexpr int paste = 57637;

// View
inline constexpr int toolbar = 59392;
inline constexpr int statusBar = 59393;
inline constexpr int tickMenu = 32784;
inline constexpr int zoomButton = 32796;
inline constexpr int verticalLine = 32807;
inline constexpr int nextPane = 57680;
inline constexpr int previousPane = 57681;

// Studies
inline constexpr int movingAverageMenu = 32806;
inline constexpr int movingAverageButton = 32805;
inline constexpr int keltnerMenu = 32808;
inline constexpr int keltnerButton = 32809;
inline constexpr int rsiMenu = 32779;
inline constexpr int rsiButton = 32788;
inline constexpr int correlationMenu = 32780;
inline constexpr int correlationButton = 32790;
inline constexpr int macdMenu = 32785;
inline constexpr int macdButton = 32789;
inline constexpr int stochasticsMenu = 32802;
inline constexpr int stochasticsButton = 32804;
inline constexpr int rateOfChangeMenu = 32781;
inline constexpr int rateOfChangeButton = 32787;
inline constexpr int regressionMenu = 32782;
inline constexpr int regressionButton = 32791;
inline constexpr int normalDistMenu = 32783;
inline constexpr int normalDistButton = 32792;

// Action
inline constexpr int buildModelMenu = 32776;
inline constexpr int buildModelButton = 32793;
inline constexpr int tradeSignalMenu = 32777;
inline constexpr int tradeSignalButton = 32794;
inline constexpr int performanceMenu = 32786;
inline constexpr int performanceButton = 32795;
inline constexpr int parameterSurfaceMenu = 32810;
inline constexpr int walkForwardMenu = 32811;
inline constexpr int permutationTestMenu = 32812;
inline constexpr int scanMenu = 32813;
inline constexpr int correctFlaggedBarsMenu = 32831;

// Help
inline constexpr int about = 57664;

inline constexpr int recentFileCount = 4;

}  // namespace cmd
