#include "common/Messages.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

namespace orva {
namespace {

struct Entry {
  Msg id;
  std::string_view text;
};

// The catalogue: every identifier with its text, grouped by area.
constexpr Entry kCatalogue[] = {

    // Framework: standard validation messages, buttons, file-dialog filters
    {Msg::SaveChangesTo, "Save changes to %1?"},
    {Msg::PleaseEnterANumber, "Please enter a number."},
    {Msg::PleaseEnterANumberBetween, "Please enter a number between %1 and %2."},
    {Msg::PleaseEnterAPositiveInteger, "Please enter a positive integer."},
    {Msg::PleaseEnterAnIntegerBetween, "Please enter an integer between %1 and %2."},
    {Msg::PleaseEnterNoMoreThanCharacters, "Please enter no more than %1 characters."},
    {Msg::Ok, "OK"},
    {Msg::Cancel, "Cancel"},
    {Msg::Done, "Done"},
    {Msg::Default, "Default"},
    {Msg::Browse, "Browse"},
    {Msg::BrowseEllipsis, "..."},
    {Msg::Test, "Test"},
    {Msg::FilterProjectFiles, "Fichiers projet (*.cnc)"},
    {Msg::FilterAllFiles, "All Files"},
    {Msg::FilterCoordinateFiles, "Co-ordinate Files (*.cor,*.dat)"},
    {Msg::FilterExecutableFiles, "Executable Files (*.exe,*.vxd)"},
    {Msg::FilterSoundFiles, " (*.wav)"},
    {Msg::FilterTextFiles, " (*.txt)"},
    {Msg::FilterCutFiles, " (*.cut)"},
    {Msg::FilterCutScripts, "Scripts cut (*.cut)"},

    // Start-up, application, directories and sound
    {Msg::ApplicationTitle, "ORVA Application"},
    {Msg::DocumentStringsProfile,
     "Profile\nCutting\nORVA\nWing Cutting project(*.cnc)\n.cnc\nORVADocument\nORVA wing "
     "project"},
    {Msg::DocumentStringsWing,
     "Wing\nCutting\nORVA\nWing Cutting project(*.cnc)\n.cnc\nORVADocument\nORVA wing "
     "project"},
    {Msg::DirectoriesAndSoundTitle, "Directories and sound"},
    {Msg::InstallationDirectory, "Installation Directory"},
    {Msg::FinishedCuttingSound, "Finished Cutting Sound"},
    {Msg::ProfileDirectory, "Profile Directory"},
    {Msg::ProjectDirectory, "Project Directory"},
    {Msg::OleInitFailed,
     "Echec de l'initialisation OLE. Vérifiez que les bibliothèques OLE sont de la bonne "
     "version."},
    {Msg::CantPlay, "Can't play %1"},

    // Profiles (airfoil coordinate files)
    {Msg::InvalidDatFile, "Invalid .dat file"},
    {Msg::UnableToOpenFileForReading, "Unable to Open file for Reading"},
    {Msg::RootProfileSelection, "Root profile selection"},
    {Msg::TipProfileSelection, "Tip profile selection"},
    {Msg::NoName, "NoName"},

    // Project and panel parameters
    {Msg::InvalidProjectFormat,
     "Invalid project format. Do not mix up profil files (.dat) with project files (.cnc)."},
    {Msg::PanelParametersTitle, "Panel Parameters"},
    {Msg::FoamThicknessMm, "Foam Thickness (mm)"},
    {Msg::PanelSpanMm, "Panel span (mm)"},
    {Msg::SweepBackMm, "Sweep Back (mm)"},
    {Msg::WingPanel, "Wing panel"},
    {Msg::DifferentRootTip, "Different Root/Tip"},
    {Msg::Skin, "Skin"},
    {Msg::DihedralInDegree, "Dihedral in degree"},
    {Msg::DihedralDeg, "Dihedral (deg)"},
    {Msg::AirfoilFile, "Airfoil file"},
    {Msg::CordMm, "Cord (mm)"},
    {Msg::RootLeadingEdgeMarginMm, "Leading-Edge Margin (mm)"},
    {Msg::TipLeadingEdgeMarginMm, "Leading-edge margin (mm)"},
    {Msg::RootTrailingEdgeMarginMm, "Trailing-Edge Margin (mm)"},
    {Msg::TipTrailingEdgeMarginMm, "Trailing-edge margin (mm)"},
    {Msg::WashoutDeg, "Washout (deg)"},
    {Msg::BasicHeightMm, "Basic Height (mm)"},
    {Msg::CamberPercent, "Camber (%)"},
    {Msg::ThicknessPercent, "Thickness (%)"},
    {Msg::SkinMm, "Skin (mm)"},
    {Msg::XLeadingEdgeConfigurationTitle, "X leading-edge configuration"},
    {Msg::AlphaAngleDegree, "Alpha angle (degree)"},
    {Msg::BetaAngleDegree, "Beta angle (degree)"},
    {Msg::LengthLMm, "Length l (mm)"},
    {Msg::UpperHeightH1Mm, "Upper height h1 (mm)"},
    {Msg::LowerHeightH2Mm, "Lower height h2 (mm)"},
    {Msg::CommentsTitle, "Comments"},

    // Panel operations and elliptical wing design
    {Msg::PanelSplitTitle, "Panel split"},
    {Msg::PositionOfSplitPercent, "Position of the split in %"},
    {Msg::EllipsoidalWingDesignTitle, "Ellipsoidal wing design"},
    {Msg::HalfSpanMm, "Half-span (mm)"},
    {Msg::RootCordMm, "Root cord (mm)"},
    {Msg::TipCordMm, "Tip cord (mm)"},
    {Msg::SymetryPercent, "Symetry (0 - 100 %)"},
    {Msg::LengthAvCordMm, "Length/Av. cord (mm)"},
    {Msg::HalfWingSurfaceDm2, "Half wing surface (dm2)"},
    {Msg::NumberOfPanels, "Number of panels"},
    {Msg::LengthMm, "Length (mm)"},
    {Msg::EllipseSweepBackMm, "Sweep back (mm)"},
    {Msg::HalfWing, "Half-wing"},
    {Msg::DisplayLeftHalfEllipse, "Display left 1/2 ellipse"},
    {Msg::DisplayRightHalfEllipse, "Display right 1/2 ellipse"},
    {Msg::DisplayLeftPanels, "Display left panels"},
    {Msg::DisplayRightPanels, "Display right panels"},
    {Msg::CentralSweepBackMm, "Central sweep back (mm)"},
    {Msg::JoinedCentralPanels, "Joined central panels"},

    // Panel cut: move labels and the Panel Cutting dialog
    {Msg::MoveToBlockStart, "Move to block start"},
    {Msg::LowerSurfaceCutPoint, "Lower surface cut, point %1"},
    {Msg::UpperSurfaceCutPoint, "Upper surface cut, point %1"},
    {Msg::TrailingEdgeProlongationOutput, "Cut of trailing edge prolongation (output)"},
    {Msg::TrailingEdgeProlongationInput, "Cut of trailing edge prolongation (input)"},
    {Msg::ReturnToInitialPosition, "Return to the initial position"},
    {Msg::DownVerticalCut, "Down vertical cut"},
    {Msg::MoveToLeadingEdgeMargin, "Move to leading edge margin"},
    {Msg::LeadingEdgeCut, "Leading edge cut"},
    {Msg::BlockShapingAtLeadingEdge, "Block shaping at leading edge"},
    {Msg::UpVerticalCut, "Up vertical cut"},
    {Msg::CutComplexShapePoint, "Cut complex shape, point %1"},
    {Msg::ClearanceLowerThanFoam, "Warning: clearance height lower than foam"},
    {Msg::RightWing, "Right Wing"},
    {Msg::LeftWing, "Left Wing"},
    {Msg::BottomFirst, "Bottom First"},
    {Msg::TopFirst, "Top First"},
    {Msg::WireKerfCompensation, "Wire Kerf Compensation"},
    {Msg::Profile, "Profile"},
    {Msg::RefLowerSurface, "Ref. Lower Surface"},
    {Msg::BockTriming, "Bock Triming"},
    {Msg::NoTriming, "No triming"},
    {Msg::BeforeCutting, "Before cutting"},
    {Msg::WhileCutting, "While cutting"},
    {Msg::AfterCutting, "After cutting"},
    {Msg::TrimingOnly, "triming only"},
    {Msg::ClearanceMm, "Clearance (mm)"},
    {Msg::Cut, "Cut"},
    {Msg::IntermediateSection, "Intermediate Section"},
    {Msg::PositionZMm, "Position Z (mm)"},
    {Msg::Section, "Section"},
    {Msg::BlockCenteredInZ, "Block Centered in Z"},
    {Msg::RootAxisOffsetMm, "Root Axis Offfset (mm)"},
    {Msg::OffsetX0Mm, "Offset X0 (mm)"},
    {Msg::CutToFile, "Cut to File"},
    {Msg::StepDetails, "Step Details"},
    {Msg::FoamType, "Foam Type"},
    {Msg::CutSpeed, "Cut speed"},
    {Msg::ValueMmPerS, "Value (mm/s)"},
    {Msg::HeatMode, "Heat mode"},
    {Msg::Maximum, "Maximum"},
    {Msg::UserChoice, "User choice"},
    {Msg::Measured, "Measured"},
    {Msg::HalfSpanGreaterThanTable,
     "Half-span (%d mm) greater than table length (%d mm)\nCut in two panels"},
    {Msg::InvalidIntermediateSectionCut, "Invalid intermediate section cut"},
    {Msg::DifferingNumberOfPoints, "Differing number of points at root and tip."},
    {Msg::Error, "Error"},
    {Msg::SpeedLimitPrefix, "Speed limit: "},
    {Msg::FrontView, "Front View"},
    {Msg::BackView, "Back View"},
    {Msg::TopView, "Top View"},
    {Msg::InvalidFoamType, "Invalid foam type, select a new foam"},

    // Spars, slots and hinge rounds
    {Msg::ActiveSpar, "Active Spar"},
    {Msg::DistanceInPercent, "Distance LE-midle spar in %"},
    {Msg::Label, "Label"},
    {Msg::ProportionalWidth, "Proportional width"},
    {Msg::ProportionalThickness, "Proportional thickness"},
    {Msg::TipWidthMm, "Tip width (mm)"},
    {Msg::RootWidthMm, "Root width (mm)"},
    {Msg::RootThicknessMm, "Root thickness (mm)"},
    {Msg::TipThicknessMm, "Tip thickness (mm)"},
    {Msg::DistancePLeMiddleSpar, "Distance p  LE-midle spar"},
    {Msg::LowerSurfaceSpar, "Lower\nsurface spar"},
    {Msg::UpperSurfaceSpar, "Upper\nsurface spar"},
    {Msg::LowerSurfaceSole, "Lower\nsurface sole"},
    {Msg::UpperSurfaceSole, "Upper\nsurface sole"},
    {Msg::LowerRoundSpar, "Lower\nround spar"},
    {Msg::UpperRoundSpar, "Upper\nround spar"},
    {Msg::RudderArticulation, "Rudder\narticulation"},
    {Msg::Inactive, "Inactive"},
    {Msg::LongeronPrefix, "Longeron "},
    {Msg::EntreeSaigneePrefix, "Entree saignee "},
    {Msg::RondSaigneePrefix, "Rond saignee "},
    {Msg::SortieSaigneePrefix, "Sortie saignee "},
    {Msg::RondArticulationPrefix, "Rond articulation "},

    // Auxiliary cuts: block shaping, test cut, foam cut
    {Msg::BlockShapingTitle, "Block shaping"},
    {Msg::X0OffsetMm, "X0 offset (mm)"},
    {Msg::BlockCentered, "Block centered"},
    {Msg::LeftAxisOffsetMm, "Left axis offset (mm)"},
    {Msg::LeftWidthMm, "Left width (mm)"},
    {Msg::RightWidthMm, "Right width (mm)"},
    {Msg::LRTaperMm, "L-R taper (mm)"},
    {Msg::YDimensionMm, "Y dimension (mm)"},
    {Msg::TestCutTitle, "Test Cut"},
    {Msg::StartWithTheTop, "Start with the top"},
    {Msg::SpacingMm, "Spacing (mm)"},
    {Msg::NumberOfCuts, "Number of cuts"},
    {Msg::TaperLRMm, "Taper L-R (mm)"},
    {Msg::HeightMm, "Height (mm)"},
    {Msg::HeatPercent, "Heat (%)"},
    {Msg::SliceCut, "Slice cut %1"},
    {Msg::FoamCutTitle, "Foam Cut"},
    {Msg::HeightOfCutMm, "Height of cut (mm)"},
    {Msg::HorizontalCut, "Horizontal cut"},
    {Msg::OffsetEnYMm, "Offset en Y  (mm)"},
    {Msg::CutWidthMm, "Cut width (mm)"},
    {Msg::RaiseWireAtMaximumSpeed, "Raise Wire at maximum speed"},
    {Msg::RaiseWire, "Raise Wire"},
    {Msg::Coupe, "Coupe"},
    {Msg::Armement, "Armement"},

    // Move planner, cut execution and cut scripts
    {Msg::Tempo, "Tempo"},
    {Msg::TimeSeconds, "%d sec"},
    {Msg::TimeMinutesSeconds, "%d min %d sec"},
    {Msg::CutProgress, "%2.2f mm/s %s %d %%, %s"},
    {Msg::CancelCut, "Cancel cut ?"},
    {Msg::AbortCut, "Abort cut"},
    {Msg::CutRunning, "A cut is running: wait for its end or cancel it"},
    {Msg::NoMemory, "No memory"},
    {Msg::AxisLimitOverflow, "%1 axis limit overflow : %2 mm, "},
    {Msg::BlockSizeGreaterThanTable, "Block size greater than  XD-XG size: %1"},
    {Msg::RightBlockPositionGreaterThanTable, "Right block position greater than XD-XG size: %1"},
    {Msg::SpeedAboveStepMotorLimit, "Speed above step motor limit on %1 axis : %2 mm/s, "},
    {Msg::Right, "right"},
    {Msg::Left, "left"},
    {Msg::StartCutWithSpeed, "Start cut ?\nCut speed %.2f\nTotal time %s\nHeat %s"},
    {Msg::StartCut, "Start cut ?\nTotal time %s\nHeat %s"},
    {Msg::Power, "Power"},
    {Msg::Computed, "computed"},
    {Msg::Manual, "manual"},
    {Msg::Fixed, "fixed"},
    {Msg::WireHeatLowerThan2Percent, "Wire heat lower than 2%"},
    {Msg::NoInterruptsDuringCutting, "No interrupts during cutting"},
    {Msg::ScriptFileLine, "Script file %1, line %2"},
    {Msg::ReadError, "Read error\n"},
    {Msg::InvalidPowerCoefficient, "Invalid power coefficient %1"},
    {Msg::TableDoesNotExist, "Table \"%1\" does not exist"},

    // Interface driver, timer calibration and manual axis control
    {Msg::DeviceIoControlFailed, "VARN::Decoupe, DeviceIOC: "},
    {Msg::GetOverlappedResultFailed, "VARN::Decoupe, GetOverlappedResult: "},
    {Msg::TimerCalibrationTitle, "Timer Calibration"},
    {Msg::CurrentValueUs, "Current Value (us)"},
    {Msg::FinishedAdjustment, "Finished Adjustment"},
    {Msg::ZeroAxisTitle, "Zero axis"},
    {Msg::Distance, "Distance"},
    {Msg::LeftAxis, "Left Axis"},
    {Msg::RightAxis, "Right Axis"},
    {Msg::XMm, "X (mm)"},
    {Msg::YMm, "Y (mm)"},
    {Msg::TestDurationSec, "Test duration (sec)"},
    {Msg::XTimeBetweenStepsMs, "X time between steps (ms)"},
    {Msg::YTimeBetweenStepsMs, "Y time between steps (ms)"},
    {Msg::XMaximumSpeedMmPerS, "X maximum speed (mm/s)"},
    {Msg::YMaximumSpeedMmPerS, "Y maximum speed (mm/s)"},
    {Msg::SynchronizedAxes, "Synchronized Axes"},
    {Msg::SingleStepMoves, "Single step moves"},
    {Msg::Move, "Move"},
    {Msg::SetZero, "Set Zero"},
    {Msg::SingleStepLabel, " "},
    {Msg::CuttingNotPossibleUnderNt, "Cutting not yet possible under Windows NT and later"},
    {Msg::ErrorInLoadingDriver, "Error in loading driver"},
    {Msg::DriverVersionTooOld, "Driver version %s too old\nPlease install version  %s or above."},
    {Msg::SetTimerOn, "Set timer on %3.0f us"},
    {Msg::MotorSpeedLowerThanTimer, "Motor speed on  %2 axis lower than %1 ms"},

    // Cutting table configuration
    {Msg::CncTableConfigurationTitle, "CNC Table Configuration"},
    {Msg::CurrentTableColon, "Current table:"},
    {Msg::XAxisConfiguration, "X Axis Configuration"},
    {Msg::YAxisConfiguration, "Y Axis Configuration"},
    {Msg::StepsPerRevolution, "Steps per revolution"},
    {Msg::ScrewThreadMm, "Screw thread (mm)"},
    {Msg::XStepLostInverseDirection, "Step lost/inverse direction "},
    {Msg::YStepsLostInverseDirection, "Steps lost/inverse direction"},
    {Msg::BacklashCompSpeed, "Backlash comp. speed (%VMax)"},
    {Msg::MinimumTimeBetweenStepsMs, "Minimum time between steps (ms)"},
    {Msg::MaximumSpeedInXMmPerS, "Maximum speed in X (mm/s)"},
    {Msg::MaximumSpeedInYMmPerS, "Maximum speed in Y (mm/s)"},
    {Msg::Dimensions, "Dimensions"},
    {Msg::DistanceBetWireSupportMm, "Distance bet. wire support (mm)"},
    {Msg::XAxisTravelMm, "X Axis travel (mm)"},
    {Msg::YAxisTravelMm, "Y Axis travel (mm)"},
    {Msg::Miscellaneous, "Miscellaneous"},
    {Msg::ZeroPositionInX, "Zero position in X"},
    {Msg::ZeroPositionInY, "Zero position in Y"},
    {Msg::ReverseTableLayout, "Reverse table layout"},
    {Msg::DriverAndHardwareInterface, "Driver and Hardware Interface"},
    {Msg::ParallelPort, "Parallel Port"},
    {Msg::Lpt1, "LPT1"},
    {Msg::Lpt2, "LPT2"},
    {Msg::Lpt3, "LPT3"},
    {Msg::Lpt4, "LPT4"},
    {Msg::TimerValueUs, "Timer value (us)"},
    {Msg::TimeForWireHeatingS, "Time for wire heating (s)"},
    {Msg::HardwareInterfaceWithHeatAcquisition, "Hardware interface with heat acquisition"},

    // Foam database and Foam management
    {Msg::FoamManagementTitle, "Foam management"},
    {Msg::FoamTypes, "Foam types:"},
    {Msg::CreateNewMaterial, "Create new material"},
    {Msg::RenameThisMaterial, "Rename this material"},
    {Msg::DeleteThisMaterial, "Delete this material"},
    {Msg::HeatAcquisition, "Heat acquisition"},
    {Msg::ComputerControlledHeat, "Computer controlled heat"},
    {Msg::Caracteristics, "Caracteristics"},
    {Msg::MaximumSpeed, "Maximum speed"},
    {Msg::MinimumSpeed, "Minimum speed"},
    {Msg::Heat0To100, "Heat (0-100)"},
    {Msg::KerfForSpeedSMm, "Kerf for speed S (mm)"},
    {Msg::KerfForHalfSpeedMm, "Kerf for speed S/2 (mm)"},
    {Msg::SpeedMinMmPerS, "Speed min (mm/s)"},
    {Msg::HeatMin0To100, "Heat Min (0-100)"},
    {Msg::ApplyChanges, "Apply changes"},
    {Msg::CancelChanges, "Cancel changes"},
    {Msg::ApplyAndExit, "Apply and exit"},
    {Msg::EnterNewMaterialName, "Enter a new name for this material..."},
    {Msg::PolyExtrude, "Poly extrudé"},
    {Msg::PolyExpanse, "Poly expansé"},
    {Msg::Depron, "Dépron"},
    {Msg::PowerSampling, "Power sampling %d %%"},
    {Msg::SpeedMmPerS, "Speed (mm/s)"},
    {Msg::MaxSpeedMmPerS, "Max speed (mm/s)"},
    {Msg::MaterialNameUsedAlready, "This name is used already. Thanks to create a new one"},
    {Msg::MaterialNameMandatory, "A material name is mandatory, please enter a name"},
    {Msg::SpeedLimitDueToWireHeat, "Speed limit due to wire heat"},

    // Table management
    {Msg::CurrentTableTitle, "Current table"},
    {Msg::TablesName, "Table's name"},
    {Msg::Duplicate, "Duplicate"},
    {Msg::EditTableName, "Edit table name"},
    {Msg::DeleteTable, "Delete table"},
    {Msg::ValidateSelection, "Validate selection"},
    {Msg::TableNameTitle, "Table name"},
    {Msg::TableNameUsedAlready, "This name is used already. Thanks to create a new one"},

    // The program's own messages
    {Msg::UnsafeTableName,
     "A table name cannot be \".\" or \"..\", nor contain slashes, the characters "
     "< > : \" | ? *, control characters or characters outside Windows-1252"},
    {Msg::MaterialNameTooLong,
     "A material name can hold at most 51 characters, please enter a shorter name"},
    {Msg::MaterialNameInvalidCharacters,
     "A material name cannot hold a colon, a line break or characters outside the "
     "Western European character set, please enter another name"},
    {Msg::FileNotSaved, "Unable to save %1:\n%2"},
    {Msg::InvalidTimerPeriod, "Invalid timer period %1 ms: it must be greater than 0"},
    {Msg::TimerPeriodTooShortForPause,
     "Timer period %1 ms too short for a pause: it must be at least 1/126 ms"},
    {Msg::InvalidScrewThread, "Invalid screw thread on %1 axis: %2 mm, it must be greater than 0"},
    {Msg::InvalidStepsPerRevolution,
     "Invalid steps per revolution on %1 axis: %2, it must be greater than 0"},
    {Msg::InvalidMinimumStepTime,
     "Invalid minimum time between steps on %1 axis: %2 ms, it must not be negative"},
    {Msg::InvalidBacklashSpeed,
     "Invalid backlash compensation speed on %1 axis: %2 percent, it must be greater than 0"},
    {Msg::InvalidBlockWidth, "Invalid block width: %1 mm, it must be greater than 0, "},
    {Msg::InvalidMoveValue, "Invalid move: a value is not a finite number, "},
    {Msg::MoveTooLong, "Move too long: more than %1 step entries needed, "},
    {Msg::PleaseEnterAnInteger, "Please enter an integer."},
    {Msg::InvalidTestCutSpacing, "Invalid test cut spacing: %1 mm, it must be at least 1 mm"},
    {Msg::NoTestCut, "No test cut: the height (%1 mm) must be greater than the spacing (%2 mm)"},
    {Msg::TooManyTestCuts, "Too many test cuts: %1, at most %2"},
    {Msg::InvalidTestCutWidths,
     "Invalid block widths: %1 mm and %2 mm, both must be greater than 0"},
    {Msg::InvalidCutSpeed, "Invalid cut speed: %1 mm/s, it must be greater than 0"},
    {Msg::CutScriptTooLong,
     "Cut script too long: at most %1 moves and %2 step entries can be run, "},
    {Msg::FilterGcodeFiles, "G-code (*.ngc;*.nc;*.gcode)"},
    {Msg::GcodeCannotWrite, "G-code cannot be written: %1"},
    {Msg::GcodeBadAxisLetters,
     "the axis letters \"%1\" are not four distinct letters of X Y Z A B C U V W"},
    {Msg::GcodeBadSpindleMax, "the spindle value of full heat must be a positive number"},
    {Msg::GcodeBadMove, "move %1 (%2) has a duration or position that is not a valid number"},
    {Msg::SettingsFileNotFound, "Settings file not found: %1"},
    {Msg::DataDirectoryNotFound, "Data directory not found: %1"},
    {Msg::KnownTables, "Tables: %1"},
    {Msg::KnownFoams, "Foams: %1"},
    {Msg::AmbiguousFoam, "Foam \"%1\" matches several foams: %2"},
    {Msg::MustBeGreaterThanZero, "%1: must be greater than 0 mm"},
    {Msg::SectionOutsideBlock,
     "%1: the section reaches from %2 to %3 mm, outside its block (0 to foamThickness "
     "%4 mm); change basicHeight or foamThickness"},
    {Msg::PlacementOffsetX0,
     "Every tower target stays in travel with offsetX0 = %1 mm (now %2 mm)"},
    {Msg::PlacementRootAxisOffset, "or with rootAxisOffset = %1 mm (now %2 mm)"},
    {Msg::DatPercentCoordinates, "the coordinates are in percent of the chord, not fractions"},
    {Msg::DatTooFewPoints, "too few points"},
    {Msg::DatCountHeader, "the header announces more points than follow"},
    {Msg::GcodeStartPosition, "Start position, wire cold"},
    {Msg::FileNotDeleted, "Could not delete %1: %2"},
    {Msg::FileNotRenamed, "Could not rename %1 to %2: %3"},
    {Msg::DirectoryNotCreated, "Could not create the directory %1: %2"},
    {Msg::MoveNotSent, "The interface driver failed while sending a move"},

    // Page setup without a system printer
    {Msg::PageSetupTitle, "Page Setup"},
    {Msg::PaperSize, "Paper size"},
    {Msg::Orientation, "Orientation"},
    {Msg::Portrait, "Portrait"},
    {Msg::Landscape, "Landscape"},
    {Msg::MarginsMm, "Margins (mm)"},
    {Msg::MarginLeft, "Left"},
    {Msg::MarginTop, "Top"},
    {Msg::MarginRight, "Right"},
    {Msg::MarginBottom, "Bottom"},
    {Msg::MarginsDoNotFit, "These margins leave no room to print on this paper."},

    // Views: profile view and wing view legends
    {Msg::UnitMm, "mm"},
    {Msg::SectionLegendWing, "%s, %5.3f %s c, %5.3f %s s, %5.3f%%cmb, %5.3f%%thk"},
    {Msg::SectionLegendOutline, "%s, %5.3f %s c"},
    {Msg::LgMm, "Lg (mm)"},
    {Msg::SurfDm2, "Surf.(dm2)"},
    {Msg::ParenthesisedMm, "(mm)"},
    {Msg::DdDegPerMm, "Dd (°/mm)"},
    {Msg::MmBlank, "mm "},
    {Msg::SurfEquals, "Surf="},
    {Msg::Dm2, "dm2"},
    {Msg::Root, "Root"},
    {Msg::Tip, "Tip"},
    {Msg::Panel, "Panel"},
    {Msg::AvC, "Av.C"},
    {Msg::DistRootAvC, "Dist root-Av.C="},
    {Msg::WingSummaryLead, ""},
    {Msg::CrMm, "Cr (mm)"},
    {Msg::CtMm, "Ct (mm)"},
    {Msg::Le, "LE"},
    {Msg::Te, "TE"},

    // Frames, tool bars and zoom lists
    {Msg::ProfilToolBarTitle, "Profil"},
    {Msg::AileToolBarTitle, "Aile"},
    {Msg::Zoom0p5Percent, "0.5%"},
    {Msg::Zoom1Percent, "1%"},
    {Msg::Zoom2p5Percent, "2.5%"},
    {Msg::Zoom5Percent, "5%"},
    {Msg::Zoom7p5Percent, "7.5%"},
    {Msg::Zoom10Percent, "10%"},
    {Msg::Zoom12Percent, "12%"},
    {Msg::Zoom15Percent, "15%"},
    {Msg::Zoom25Percent, "25%"},
    {Msg::Zoom50Percent, "50%"},
    {Msg::Zoom75Percent, "75%"},
    {Msg::Zoom100Percent, "100%"},
    {Msg::Zoom120Percent, "120%"},
    {Msg::Zoom150Percent, "150%"},
    {Msg::Zoom200Percent, "200%"},
    {Msg::Zoom500Percent, "500%"},
    {Msg::Zoom1000Percent, "1000%"},
    {Msg::Zoom2000Percent, "2000%"},
    {Msg::ProfileWindowSuffix, " - Profile"},
    {Msg::WingWindowSuffix, " - Wing"},

    // Menus: titles and entries (command ids in the comments)
    {Msg::MenuView, "&View"},
    {Msg::MenuProject, "Project"},
    {Msg::MenuPanelManagement, "Panel management"},
    {Msg::MenuOrva, "ORVA"},
    {Msg::MenuHelp, "&Help"},
    {Msg::MenuNew, "&New"},
    {Msg::MenuOpen, "&Open..."},
    {Msg::MenuSave, "&Save"},
    {Msg::MenuSaveAs, "Save as..."},
    {Msg::MenuExport, "&Export"},
    {Msg::MenuScriptExecution, "Script Execution"},
    {Msg::MenuPrint, "&Print..."},
    {Msg::MenuPrintingPreview, "Printing Preview"},
    {Msg::MenuPrintingConfiguration, "Printing &Configuration"},
    {Msg::MenuRecentFile, "Recent file"},
    {Msg::MenuQuit, "&Quit"},
    {Msg::MenuProfiles, "Profiles"},
    {Msg::MenuWing, "Wing"},
    {Msg::MenuToolBar, "&Tool bar"},
    {Msg::MenuProfilBar, "&Profil bar"},
    {Msg::MenuProfileBar, "&Profile bar"},
    {Msg::MenuWingBar, "&Wing bar"},
    {Msg::MenuPanelBar, "&Panel bar"},
    {Msg::MenuStatusBar, "&Status bar"},
    {Msg::MenuCascade, "&Cascade"},
    {Msg::MenuTile, "&Tile"},
    {Msg::MenuArrangeIcons, "&Arrange Icons"},
    {Msg::MenuTableManagement, "Table management..."},
    {Msg::MenuTablesManagement, "Tables management..."},
    {Msg::MenuTableConfiguration, "Table configuration..."},
    {Msg::MenuFoamManagement, "Foam management..."},
    {Msg::MenuTimerTuningEllipsis, "Timer tuning..."},
    {Msg::MenuTimerTuning, "Timer tuning"},
    {Msg::MenuZeroAxis, "Zero Axis..."},
    {Msg::MenuFiles, "Files..."},
    {Msg::MenuNewAtEnd, "New at end"},
    {Msg::MenuNewBeforeCurrent, "New before current"},
    {Msg::MenuNewAfterCurrent, "New after current"},
    {Msg::MenuDeleteCurrent, "Delete current"},
    {Msg::MenuSplitCurrent, "Split current"},
    {Msg::MenuEllipticalWing, "Elliptical wing"},
    {Msg::MenuCurrentPanelConfiguration, "Current &Panel Configuration..."},
    {Msg::MenuRootProfile, "Root profile..."},
    {Msg::MenuTipProfile, "Tip Profile..."},
    {Msg::MenuSpars, "Spars..."},
    {Msg::MenuXLeadingEdge, "X leading edge..."},
    {Msg::MenuComments, "Comments..."},
    {Msg::MenuPanelCut, "Panel cut..."},
    {Msg::MenuFoamCut, "Foam Cut..."},
    {Msg::MenuBlockShaping, "Block shaping..."},
    {Msg::MenuTestCut, "Test cut..."},
    {Msg::MenuOnlineHelp, "Online Help"},
    {Msg::MenuAbout, "&About..."},
    {Msg::MenuDelete, "Delete"},
    {Msg::MenuInsertNewBeforeCurrent, "Insert new before current"},
    {Msg::MenuInsertNewAfterCurrent, "Insert new after current"},
    {Msg::MenuPanelConfiguration, "Panel Configuration..."},
    {Msg::MenuPanelCutPopup, "Panel Cut..."},
    {Msg::MenuFile, "&File"},
    {Msg::MenuWindow, "&Window"},

    // Command texts: options, edge treatments, alignments, buttons, descriptions
    {Msg::HorizontalTeProlongation, "Horizontal TE prolongation "},
    {Msg::TeProlongationMeanCord, "TE prolongation mean cord"},
    {Msg::SymmetricTeProlongation, "Upper and lower surface TE prolongation for symetric profile"},
    {Msg::TeProlongationUpperSurface, "TE prolongation upper surface"},
    {Msg::NoCutAtLe, "No cut at LE"},
    {Msg::HorizontalCutAtLe, "Horizontal cut at LE"},
    {Msg::XCutAtLe, "X cut at LE"},
    {Msg::XLeadingEdgeProlongation, "X leading edge prolongation"},
    {Msg::ComputeWithSplines, "Compute intermediate coordinates using splines"},
    {Msg::SuperposedProfiles, "Superposed profiles"},
    {Msg::DisplayLegends, "Display legends"},
    {Msg::DisplayProfilesWithoutSweepBack, "Display profiles without sweep-back"},
    {Msg::DisplayLeOnTop, "Display LE on top"},
    {Msg::DisplayFullWing, "Display full wing"},
    {Msg::DisplayCutCoordinates, "Display of cut coordinates"},
    {Msg::DisplayProfileCoordinates, "Display of profile coordinatesl"},
    {Msg::PanelAlignmentUpperSide, "Panel alignement on upper side"},
    {Msg::PanelAlignmentLowerSide, "Panel alignement on lower side"},
    {Msg::PanelAlignmentMiddle, "Panel alignement on middle"},
    {Msg::PanelAndMarginsAlignment, "Panel and margins alignement"},
    {Msg::StartFerolo, "Start Ferolo"},
    {Msg::DisplayProfileView, "Display profile view"},
    {Msg::DisplayWingView, "Display wing view"},
    {Msg::ExportDocumentToText, "Export document to text"},
    {Msg::StartOfWingCut, "Start of wing cut"},
    {Msg::StartOfBlockShaping, "Start of block shaping"},
    {Msg::TestCutForWireKerfCalibration, "Test cut for wire kerf calibration"},
    {Msg::VerticalCut, "Vertical cut"},
    {Msg::CuttingFromCutFile, "Cutting from a cut file"},
    {Msg::ManualWireMoveToZero, "Manual wire move to zero"},
    {Msg::SparConfiguration, "Spar configuration"},
    {Msg::PrintProject, "Print project"},
    // Desktop program: status, tool tips, about, help, printing, exit
    {Msg::Global, "Global"},
    {Msg::Ready, "Ready"},
    {Msg::HelpOnButtonsAndMenus, "Help on buttons and menus"},
    {Msg::ProfileZoomTip, "Profile zoom"},
    {Msg::WingZoomTip, "Wing zoom"},
    {Msg::AboutTitle, "About ORVA"},
    {Msg::AboutVersion, "ORVA Version %1"},
    {Msg::HelpWindowTitle, "ORVA Help"},
    {Msg::PrintFailed, "Unable to print: %1"},
    {Msg::NewProjectTip, "Create a new project"},
    {Msg::OpenProjectTip, "Open an existing project"},
    {Msg::SaveProjectTip, "Save the project"},
    {Msg::AboutTip, "Program information and version"},
    {Msg::NewPanelTip, "Add a new panel at the end of the wing"},
    {Msg::DeletePanelTip, "Delete the current panel"},
    {Msg::MainToolBarTitle, "Standard"},
    {Msg::ExitSaveFailed, "These files could not be saved:\n%1"},

    // Warnings about a planned cut
    {Msg::CutWarningAtMove, "Move %1 (%2): %3"},
    {Msg::CutWarningAtMoves, "Moves %1 to %2 (%3): %4"},
    {Msg::WarnTowerBackwards,
     "the %1 tower runs backwards against its face (%2 times the face's path): "
     "it traces a mirrored outline"},
    {Msg::WarnTowerMagnified,
     "the %1 tower travels %2 times as far as its face: it stands far outside the block"},
    {Msg::WarnPauseInBlock, "a pause of %1 s with the wire in the block melts a hole"},
    {Msg::WarnSlowInBlock,
     "the wire crosses the block at %1 mm/s, below a tenth of the cut speed (%2 mm/s): "
     "it melts a hole"},
    {Msg::WarnKerfExtrapolated,
     "%1 face at %2 mm/s, below the foam's kerf law (measured from %3 mm/s): "
     "the kerf there is extrapolated"},
    {Msg::WarnUnequalFaces,
     "root and tip travel %1 mm and %2 mm on a panel whose tip is its root: "
     "the root and tip points do not match"},
    {Msg::WarningsHeading, "Warnings:"},
    // Cutting a panel in the desktop program
    {Msg::PanelCuttingTitle, "Panel Cutting"},
    {Msg::CutProgressTitle, "Cut in progress"},
    {Msg::CutProgressMoves, "Move %1 of %2"},
    {Msg::CutProgressElapsed, "Elapsed"},
    {Msg::CutProgressRemaining, "Remaining"},
    {Msg::CutProgressMove, "Move"},
    {Msg::CutProgressHeat, "Heat"},
    {Msg::CutProgressLeftTower, "Left tower"},
    {Msg::CutProgressRightTower, "Right tower"},
    {Msg::CutProgressRetreating, "Retreating"},
    {Msg::CutProgressSpeedup, "Simulation speed"},
    {Msg::SpeedupAtOnce, "at once"},
    {Msg::CutProgressNoValue, "\u2014"},
    {Msg::CutProgressHeatValue, "%1 %"},
    {Msg::CutProgressEnded, "Cut ended"},
    // The cut simulation window
    {Msg::MenuCutSimulation, "Cut"},
    {Msg::CutWindowSuffix, " - Cut"},
    {Msg::CutSimulationTip, "Watch the planned cut of the current panel"},
    {Msg::SimRootFacePath, "Root face"},
    {Msg::SimTipFacePath, "Tip face"},
    {Msg::SimLeftTowerPath, "Left tower"},
    {Msg::SimRightTowerPath, "Right tower"},
    {Msg::SimNotPlanned, "The cut cannot be simulated: %1"},
    {Msg::SimNoPanel, "There is no panel to cut"},
    {Msg::SimTimeReadout, "%1 s elapsed, %2 s remaining of %3 s"},
    {Msg::SimSpeedsReadout, "Speeds (mm/s): root %1, tip %2, left tower %3, right tower %4"},
    {Msg::SimPlay, "Play"},
    {Msg::SimPause, "Pause"},
    {Msg::SimPreviousMove, "Previous move"},
    {Msg::SimNextMove, "Next move"},
    {Msg::SimThreeD, "3D"},
    {Msg::SimWarningsTitle, "Warnings"},
    {Msg::SimFrontTitle, "Front projection"},
    {Msg::SimObliqueTitle, "Oblique view"},
    {Msg::SimMoveReadout, "Move %1 of %2: %3"},
    {Msg::SimFollowingCut, "Following the running cut"},
    {Msg::SimNotPlannedShort, "The cut could not be planned"},
};

// The catalogue ordered by identifier, for lookup by binary search and for listing.
constexpr auto kById = [] {
  std::array<Entry, std::size(kCatalogue)> sorted{};
  std::copy(std::begin(kCatalogue), std::end(kCatalogue), sorted.begin());
  std::sort(sorted.begin(), sorted.end(),
            [](const Entry& a, const Entry& b) { return a.id < b.id; });
  return sorted;
}();

constexpr bool eachIdOnce() {
  for (std::size_t i = 1; i < kById.size(); ++i) {
    if (kById[i - 1].id == kById[i].id) return false;
  }
  return true;
}
static_assert(eachIdOnce(), "an identifier appears twice in the message catalogue");

constexpr auto kIds = [] {
  std::array<Msg, kById.size()> ids{};
  for (std::size_t i = 0; i < kById.size(); ++i) ids[i] = kById[i].id;
  return ids;
}();

constexpr std::optional<std::string_view> findText(Msg id) {
  const auto* const it = std::lower_bound(kById.begin(), kById.end(), id,
                                          [](const Entry& e, Msg key) { return e.id < key; });
  if (it == kById.end() || it->id != id) return std::nullopt;
  return it->text;
}

bool isStringTableNumber(int value) { return value == 100 || (value >= 10000 && value < 65536); }

}  // namespace

std::string_view messageText(Msg id) { return findText(id).value_or(std::string_view{}); }

std::string fillInserts(std::string_view pattern, std::initializer_list<std::string_view> inserts) {
  std::size_t extra = 0;
  for (std::string_view insert : inserts) extra += insert.size();
  std::string out;
  out.reserve(pattern.size() + extra);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char next = pattern[i + 1];
      if (next == '%') {  // printf's escaped percent: keep it whole, so "%%1" is no marker
        out += "%%";
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9') {
        const auto index = static_cast<std::size_t>(next - '1');
        if (index < inserts.size()) {
          out += inserts.begin()[index];
          ++i;
          continue;
        }
      }
    }
    out += c;
  }
  return out;
}

std::string formatMessage(Msg id, std::initializer_list<std::string_view> inserts) {
  return fillInserts(messageText(id), inserts);
}

std::optional<Msg> messageFromNumber(int number) {
  if (!isStringTableNumber(number)) return std::nullopt;
  const auto id = static_cast<Msg>(number);
  if (!findText(id)) return std::nullopt;
  return id;
}

std::span<const Msg> allMessageIds() { return kIds; }

}  // namespace orva
