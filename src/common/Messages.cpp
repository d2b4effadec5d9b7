#include "common/Messages.h"

#include <cstddef>
#include <vector>

namespace orva {
namespace {

// String-table numbers are 16-bit resource ids; every value of Msg lies below this.
constexpr int kValueLimit = 65536;

// The catalogue. The switch has no default, so a warning (an error in CI) names any
// enumerator that has no text.
constexpr std::optional<std::string_view> findText(Msg id) {
  switch (id) {
    // Framework: standard validation messages, buttons, file-dialog filters
    case Msg::SaveChangesTo:
      return "Save changes to %1?";
    case Msg::PleaseEnterANumber:
      return "Please enter a number.";
    case Msg::PleaseEnterANumberBetween:
      return "Please enter a number between %1 and %2.";
    case Msg::PleaseEnterAPositiveInteger:
      return "Please enter a positive integer.";
    case Msg::PleaseEnterAnIntegerBetween:
      return "Please enter an integer between %1 and %2.";
    case Msg::PleaseEnterNoMoreThanCharacters:
      return "Please enter no more than %1 characters.";
    case Msg::Ok:
      return "OK";
    case Msg::Cancel:
      return "Cancel";
    case Msg::Done:
      return "Done";
    case Msg::Default:
      return "Default";
    case Msg::Browse:
      return "Browse";
    case Msg::BrowseEllipsis:
      return "...";
    case Msg::Test:
      return "Test";
    case Msg::FilterProjectFiles:
      return "Fichiers projet (*.cnc)";
    case Msg::FilterAllFiles:
      return "All Files";
    case Msg::FilterCoordinateFiles:
      return "Co-ordinate Files (*.cor,*.dat)";
    case Msg::FilterExecutableFiles:
      return "Executable Files (*.exe,*.vxd)";
    case Msg::FilterSoundFiles:
      return " (*.wav)";
    case Msg::FilterTextFiles:
      return " (*.txt)";
    case Msg::FilterCutFiles:
      return " (*.cut)";
    case Msg::FilterCutScripts:
      return "Scripts cut (*.cut)";

    // Start-up, application, directories and sound
    case Msg::ApplicationTitle:
      return "ORVA Application";
    case Msg::DocumentStringsProfile:
      return "Profile\nCutting\nORVA\nWing Cutting project(*.cnc)\n.cnc\nORVADocument\nORVA wing "
             "project";
    case Msg::DocumentStringsWing:
      return "Wing\nCutting\nORVA\nWing Cutting project(*.cnc)\n.cnc\nORVADocument\nORVA wing "
             "project";
    case Msg::DirectoriesAndSoundTitle:
      return "Directories and sound";
    case Msg::InstallationDirectory:
      return "Installation Directory";
    case Msg::FinishedCuttingSound:
      return "Finished Cutting Sound";
    case Msg::ProfileDirectory:
      return "Profile Directory";
    case Msg::ProjectDirectory:
      return "Project Directory";
    case Msg::OleInitFailed:
      return "Echec de l'initialisation OLE. Vérifiez que les bibliothèques OLE sont de la bonne "
             "version.";
    case Msg::CantPlay:
      return "Can't play %1";

    // Profiles (airfoil coordinate files)
    case Msg::InvalidDatFile:
      return "Invalid .dat file";
    case Msg::UnableToOpenFileForReading:
      return "Unable to Open file for Reading";
    case Msg::RootProfileSelection:
      return "Root profile selection";
    case Msg::TipProfileSelection:
      return "Tip profile selection";
    case Msg::NoName:
      return "NoName";

    // Project and panel parameters
    case Msg::InvalidProjectFormat:
      return "Invalid project format. Do not mix up profil files (.dat) with project files (.cnc).";
    case Msg::PanelParametersTitle:
      return "Panel Parameters";
    case Msg::FoamThicknessMm:
      return "Foam Thickness (mm)";
    case Msg::PanelSpanMm:
      return "Panel span (mm)";
    case Msg::SweepBackMm:
      return "Sweep Back (mm)";
    case Msg::WingPanel:
      return "Wing panel";
    case Msg::DifferentRootTip:
      return "Different Root/Tip";
    case Msg::Skin:
      return "Skin";
    case Msg::DihedralInDegree:
      return "Dihedral in degree";
    case Msg::DihedralDeg:
      return "Dihedral (deg)";
    case Msg::AirfoilFile:
      return "Airfoil file";
    case Msg::CordMm:
      return "Cord (mm)";
    case Msg::RootLeadingEdgeMarginMm:
      return "Leading-Edge Margin (mm)";
    case Msg::TipLeadingEdgeMarginMm:
      return "Leading-edge margin (mm)";
    case Msg::RootTrailingEdgeMarginMm:
      return "Trailing-Edge Margin (mm)";
    case Msg::TipTrailingEdgeMarginMm:
      return "Trailing-edge margin (mm)";
    case Msg::WashoutDeg:
      return "Washout (deg)";
    case Msg::BasicHeightMm:
      return "Basic Height (mm)";
    case Msg::CamberPercent:
      return "Camber (%)";
    case Msg::ThicknessPercent:
      return "Thickness (%)";
    case Msg::SkinMm:
      return "Skin (mm)";
    case Msg::XLeadingEdgeConfigurationTitle:
      return "X leading-edge configuration";
    case Msg::AlphaAngleDegree:
      return "Alpha angle (degree)";
    case Msg::BetaAngleDegree:
      return "Beta angle (degree)";
    case Msg::LengthLMm:
      return "Length l (mm)";
    case Msg::UpperHeightH1Mm:
      return "Upper height h1 (mm)";
    case Msg::LowerHeightH2Mm:
      return "Lower height h2 (mm)";
    case Msg::CommentsTitle:
      return "Comments";
    case Msg::Global:
      return "Global";

    // Panel operations and elliptical wing design
    case Msg::PanelSplitTitle:
      return "Panel split";
    case Msg::PositionOfSplitPercent:
      return "Position of the split in %";
    case Msg::EllipsoidalWingDesignTitle:
      return "Ellipsoidal wing design";
    case Msg::HalfSpanMm:
      return "Half-span (mm)";
    case Msg::RootCordMm:
      return "Root cord (mm)";
    case Msg::TipCordMm:
      return "Tip cord (mm)";
    case Msg::SymetryPercent:
      return "Symetry (0 - 100 %)";
    case Msg::LengthAvCordMm:
      return "Length/Av. cord (mm)";
    case Msg::HalfWingSurfaceDm2:
      return "Half wing surface (dm2)";
    case Msg::NumberOfPanels:
      return "Number of panels";
    case Msg::LengthMm:
      return "Length (mm)";
    case Msg::EllipseSweepBackMm:
      return "Sweep back (mm)";
    case Msg::HalfWing:
      return "Half-wing";
    case Msg::DisplayLeftHalfEllipse:
      return "Display left 1/2 ellipse";
    case Msg::DisplayRightHalfEllipse:
      return "Display right 1/2 ellipse";
    case Msg::DisplayLeftPanels:
      return "Display left panels";
    case Msg::DisplayRightPanels:
      return "Display right panels";
    case Msg::CentralSweepBackMm:
      return "Central sweep back (mm)";
    case Msg::JoinedCentralPanels:
      return "Joined central panels";

    // Panel cut: move labels and the Panel Cutting dialog
    case Msg::MoveToBlockStart:
      return "Move to block start";
    case Msg::LowerSurfaceCutPoint:
      return "Lower surface cut, point %1";
    case Msg::UpperSurfaceCutPoint:
      return "Upper surface cut, point %1";
    case Msg::TrailingEdgeProlongationOutput:
      return "Cut of trailing edge prolongation (output)";
    case Msg::TrailingEdgeProlongationInput:
      return "Cut of trailing edge prolongation (input)";
    case Msg::ReturnToInitialPosition:
      return "Return to the initial position";
    case Msg::DownVerticalCut:
      return "Down vertical cut";
    case Msg::MoveToLeadingEdgeMargin:
      return "Move to leading edge margin";
    case Msg::LeadingEdgeCut:
      return "Leading edge cut";
    case Msg::BlockShapingAtLeadingEdge:
      return "Block shaping at leading edge";
    case Msg::UpVerticalCut:
      return "Up vertical cut";
    case Msg::CutComplexShapePoint:
      return "Cut complex shape, point %1";
    case Msg::ClearanceLowerThanFoam:
      return "Warning: clearance height lower than foam";
    case Msg::RightWing:
      return "Right Wing";
    case Msg::LeftWing:
      return "Left Wing";
    case Msg::BottomFirst:
      return "Bottom First";
    case Msg::TopFirst:
      return "Top First";
    case Msg::WireKerfCompensation:
      return "Wire Kerf Compensation";
    case Msg::Profile:
      return "Profile";
    case Msg::RefLowerSurface:
      return "Ref. Lower Surface";
    case Msg::BockTriming:
      return "Bock Triming";
    case Msg::NoTriming:
      return "No triming";
    case Msg::BeforeCutting:
      return "Before cutting";
    case Msg::WhileCutting:
      return "While cutting";
    case Msg::AfterCutting:
      return "After cutting";
    case Msg::TrimingOnly:
      return "triming only";
    case Msg::ClearanceMm:
      return "Clearance (mm)";
    case Msg::Cut:
      return "Cut";
    case Msg::IntermediateSection:
      return "Intermediate Section";
    case Msg::PositionZMm:
      return "Position Z (mm)";
    case Msg::Section:
      return "Section";
    case Msg::BlockCenteredInZ:
      return "Block Centered in Z";
    case Msg::RootAxisOffsetMm:
      return "Root Axis Offfset (mm)";
    case Msg::OffsetX0Mm:
      return "Offset X0 (mm)";
    case Msg::CutToFile:
      return "Cut to File";
    case Msg::StepDetails:
      return "Step Details";
    case Msg::FoamType:
      return "Foam Type";
    case Msg::CutSpeed:
      return "Cut speed";
    case Msg::ValueMmPerS:
      return "Value (mm/s)";
    case Msg::HeatMode:
      return "Heat mode";
    case Msg::Maximum:
      return "Maximum";
    case Msg::UserChoice:
      return "User choice";
    case Msg::Measured:
      return "Measured";
    case Msg::HalfSpanGreaterThanTable:
      return "Half-span (%d mm) greater than table length (%d mm)\nCut in two panels";
    case Msg::InvalidIntermediateSectionCut:
      return "Invalid intermediate section cut";
    case Msg::DifferingNumberOfPoints:
      return "Differing number of points at root and tip.";
    case Msg::Error:
      return "Error";
    case Msg::SpeedLimitPrefix:
      return "Speed limit: ";
    case Msg::FrontView:
      return "Front View";
    case Msg::BackView:
      return "Back View";
    case Msg::TopView:
      return "Top View";
    case Msg::InvalidFoamType:
      return "Invalid foam type, select a new foam";

    // Spars, slots and hinge rounds
    case Msg::ActiveSpar:
      return "Active Spar";
    case Msg::DistanceInPercent:
      return "Distance LE-midle spar in %";
    case Msg::Label:
      return "Label";
    case Msg::ProportionalWidth:
      return "Proportional width";
    case Msg::ProportionalThickness:
      return "Proportional thickness";
    case Msg::TipWidthMm:
      return "Tip width (mm)";
    case Msg::RootWidthMm:
      return "Root width (mm)";
    case Msg::RootThicknessMm:
      return "Root thickness (mm)";
    case Msg::TipThicknessMm:
      return "Tip thickness (mm)";
    case Msg::DistancePLeMiddleSpar:
      return "Distance p  LE-midle spar";
    case Msg::LowerSurfaceSpar:
      return "Lower\nsurface spar";
    case Msg::UpperSurfaceSpar:
      return "Upper\nsurface spar";
    case Msg::LowerSurfaceSole:
      return "Lower\nsurface sole";
    case Msg::UpperSurfaceSole:
      return "Upper\nsurface sole";
    case Msg::LowerRoundSpar:
      return "Lower\nround spar";
    case Msg::UpperRoundSpar:
      return "Upper\nround spar";
    case Msg::RudderArticulation:
      return "Rudder\narticulation";
    case Msg::Inactive:
      return "Inactive";
    case Msg::LongeronPrefix:
      return "Longeron ";
    case Msg::EntreeSaigneePrefix:
      return "Entree saignee ";
    case Msg::RondSaigneePrefix:
      return "Rond saignee ";
    case Msg::SortieSaigneePrefix:
      return "Sortie saignee ";
    case Msg::RondArticulationPrefix:
      return "Rond articulation ";

    // Auxiliary cuts: block shaping, test cut, foam cut
    case Msg::BlockShapingTitle:
      return "Block shaping";
    case Msg::X0OffsetMm:
      return "X0 offset (mm)";
    case Msg::BlockCentered:
      return "Block centered";
    case Msg::LeftAxisOffsetMm:
      return "Left axis offset (mm)";
    case Msg::LeftWidthMm:
      return "Left width (mm)";
    case Msg::RightWidthMm:
      return "Right width (mm)";
    case Msg::LRTaperMm:
      return "L-R taper (mm)";
    case Msg::YDimensionMm:
      return "Y dimension (mm)";
    case Msg::TestCutTitle:
      return "Test Cut";
    case Msg::StartWithTheTop:
      return "Start with the top";
    case Msg::SpacingMm:
      return "Spacing (mm)";
    case Msg::NumberOfCuts:
      return "Number of cuts";
    case Msg::TaperLRMm:
      return "Taper L-R (mm)";
    case Msg::HeightMm:
      return "Height (mm)";
    case Msg::HeatPercent:
      return "Heat (%)";
    case Msg::SliceCut:
      return "Slice cut %1";
    case Msg::FoamCutTitle:
      return "Foam Cut";
    case Msg::HeightOfCutMm:
      return "Height of cut (mm)";
    case Msg::HorizontalCut:
      return "Horizontal cut";
    case Msg::OffsetEnYMm:
      return "Offset en Y  (mm)";
    case Msg::CutWidthMm:
      return "Cut width (mm)";
    case Msg::RaiseWireAtMaximumSpeed:
      return "Raise Wire at maximum speed";
    case Msg::RaiseWire:
      return "Raise Wire";
    case Msg::Coupe:
      return "Coupe";
    case Msg::Armement:
      return "Armement";

    // Move planner, cut execution and cut scripts
    case Msg::Tempo:
      return "Tempo";
    case Msg::TimeSeconds:
      return "%d sec";
    case Msg::TimeMinutesSeconds:
      return "%d min %d sec";
    case Msg::CutProgress:
      return "%2.2f mm/s %s %d %%, %s";
    case Msg::CancelCut:
      return "Cancel cut ?";
    case Msg::AbortCut:
      return "Abort cut";
    case Msg::CutRunning:
      return "A cut is running: wait for its end or cancel it";
    case Msg::NoMemory:
      return "No memory";
    case Msg::AxisLimitOverflow:
      return "%1 axis limit overflow : %2 mm, ";
    case Msg::BlockSizeGreaterThanTable:
      return "Block size greater than  XD-XG size: %1";
    case Msg::RightBlockPositionGreaterThanTable:
      return "Right block position greater than XD-XG size: %1";
    case Msg::SpeedAboveStepMotorLimit:
      return "Speed above step motor limit on %1 axis : %2 mm/s, ";
    case Msg::Right:
      return "right";
    case Msg::Left:
      return "left";
    case Msg::StartCutWithSpeed:
      return "Start cut ?\nCut speed %.2f\nTotal time %s\nHeat %s";
    case Msg::StartCut:
      return "Start cut ?\nTotal time %s\nHeat %s";
    case Msg::Power:
      return "Power";
    case Msg::Computed:
      return "computed";
    case Msg::Manual:
      return "manual";
    case Msg::Fixed:
      return "fixed";
    case Msg::WireHeatLowerThan2Percent:
      return "Wire heat lower than 2%";
    case Msg::NoInterruptsDuringCutting:
      return "No interrupts during cutting";
    case Msg::ScriptFileLine:
      return "Script file %1, line %2";
    case Msg::ReadError:
      return "Read error\n";
    case Msg::InvalidPowerCoefficient:
      return "Invalid power coefficient %1";
    case Msg::TableDoesNotExist:
      return "Table \"%1\" does not exist";

    // Interface driver, timer calibration and manual axis control
    case Msg::DeviceIoControlFailed:
      return "VARN::Decoupe, DeviceIOC: ";
    case Msg::GetOverlappedResultFailed:
      return "VARN::Decoupe, GetOverlappedResult: ";
    case Msg::TimerCalibrationTitle:
      return "Timer Calibration";
    case Msg::CurrentValueUs:
      return "Current Value (us)";
    case Msg::FinishedAdjustment:
      return "Finished Adjustment";
    case Msg::ZeroAxisTitle:
      return "Zero axis";
    case Msg::Distance:
      return "Distance";
    case Msg::LeftAxis:
      return "Left Axis";
    case Msg::RightAxis:
      return "Right Axis";
    case Msg::XMm:
      return "X (mm)";
    case Msg::YMm:
      return "Y (mm)";
    case Msg::TestDurationSec:
      return "Test duration (sec)";
    case Msg::XTimeBetweenStepsMs:
      return "X time between steps (ms)";
    case Msg::YTimeBetweenStepsMs:
      return "Y time between steps (ms)";
    case Msg::XMaximumSpeedMmPerS:
      return "X maximum speed (mm/s)";
    case Msg::YMaximumSpeedMmPerS:
      return "Y maximum speed (mm/s)";
    case Msg::SynchronizedAxes:
      return "Synchronized Axes";
    case Msg::SingleStepMoves:
      return "Single step moves";
    case Msg::Move:
      return "Move";
    case Msg::SetZero:
      return "Set Zero";
    case Msg::SingleStepLabel:
      return " ";
    case Msg::CuttingNotPossibleUnderNt:
      return "Cutting not yet possible under Windows NT and later";
    case Msg::ErrorInLoadingDriver:
      return "Error in loading driver";
    case Msg::DriverVersionTooOld:
      return "Driver version %s too old\nPlease install version  %s or above.";
    case Msg::SetTimerOn:
      return "Set timer on %3.0f us";
    case Msg::MotorSpeedLowerThanTimer:
      return "Motor speed on  %2 axis lower than %1 ms";

    // Cutting table configuration
    case Msg::CncTableConfigurationTitle:
      return "CNC Table Configuration";
    case Msg::CurrentTableColon:
      return "Current table:";
    case Msg::XAxisConfiguration:
      return "X Axis Configuration";
    case Msg::YAxisConfiguration:
      return "Y Axis Configuration";
    case Msg::StepsPerRevolution:
      return "Steps per revolution";
    case Msg::ScrewThreadMm:
      return "Screw thread (mm)";
    case Msg::XStepLostInverseDirection:
      return "Step lost/inverse direction ";
    case Msg::YStepsLostInverseDirection:
      return "Steps lost/inverse direction";
    case Msg::BacklashCompSpeed:
      return "Backlash comp. speed (%VMax)";
    case Msg::MinimumTimeBetweenStepsMs:
      return "Minimum time between steps (ms)";
    case Msg::MaximumSpeedInXMmPerS:
      return "Maximum speed in X (mm/s)";
    case Msg::MaximumSpeedInYMmPerS:
      return "Maximum speed in Y (mm/s)";
    case Msg::Dimensions:
      return "Dimensions";
    case Msg::DistanceBetWireSupportMm:
      return "Distance bet. wire support (mm)";
    case Msg::XAxisTravelMm:
      return "X Axis travel (mm)";
    case Msg::YAxisTravelMm:
      return "Y Axis travel (mm)";
    case Msg::Miscellaneous:
      return "Miscellaneous";
    case Msg::ZeroPositionInX:
      return "Zero position in X";
    case Msg::ZeroPositionInY:
      return "Zero position in Y";
    case Msg::ReverseTableLayout:
      return "Reverse table layout";
    case Msg::DriverAndHardwareInterface:
      return "Driver and Hardware Interface";
    case Msg::ParallelPort:
      return "Parallel Port";
    case Msg::Lpt1:
      return "LPT1";
    case Msg::Lpt2:
      return "LPT2";
    case Msg::Lpt3:
      return "LPT3";
    case Msg::Lpt4:
      return "LPT4";
    case Msg::TimerValueUs:
      return "Timer value (us)";
    case Msg::TimeForWireHeatingS:
      return "Time for wire heating (s)";
    case Msg::HardwareInterfaceWithHeatAcquisition:
      return "Hardware interface with heat acquisition";

    // Foam database and Foam management
    case Msg::FoamManagementTitle:
      return "Foam management";
    case Msg::FoamTypes:
      return "Foam types:";
    case Msg::CreateNewMaterial:
      return "Create new material";
    case Msg::RenameThisMaterial:
      return "Rename this material";
    case Msg::DeleteThisMaterial:
      return "Delete this material";
    case Msg::HeatAcquisition:
      return "Heat acquisition";
    case Msg::ComputerControlledHeat:
      return "Computer controlled heat";
    case Msg::Caracteristics:
      return "Caracteristics";
    case Msg::MaximumSpeed:
      return "Maximum speed";
    case Msg::MinimumSpeed:
      return "Minimum speed";
    case Msg::Heat0To100:
      return "Heat (0-100)";
    case Msg::KerfForSpeedSMm:
      return "Kerf for speed S (mm)";
    case Msg::KerfForHalfSpeedMm:
      return "Kerf for speed S/2 (mm)";
    case Msg::SpeedMinMmPerS:
      return "Speed min (mm/s)";
    case Msg::HeatMin0To100:
      return "Heat Min (0-100)";
    case Msg::ApplyChanges:
      return "Apply changes";
    case Msg::CancelChanges:
      return "Cancel changes";
    case Msg::ApplyAndExit:
      return "Apply and exit";
    case Msg::EnterNewMaterialName:
      return "Enter a new name for this material...";
    case Msg::PolyExtrude:
      return "Poly extrudé";
    case Msg::PolyExpanse:
      return "Poly expansé";
    case Msg::Depron:
      return "Dépron";
    case Msg::PowerSampling:
      return "Power sampling %d %%";
    case Msg::SpeedMmPerS:
      return "Speed (mm/s)";
    case Msg::MaxSpeedMmPerS:
      return "Max speed (mm/s)";
    case Msg::MaterialNameUsedAlready:
      return "This name is used already. Thanks to create a new one";
    case Msg::MaterialNameMandatory:
      return "A material name is mandatory, please enter a name";
    case Msg::SpeedLimitDueToWireHeat:
      return "Speed limit due to wire heat";

    // Table management
    case Msg::CurrentTableTitle:
      return "Current table";
    case Msg::TablesName:
      return "Table's name";
    case Msg::Duplicate:
      return "Duplicate";
    case Msg::EditTableName:
      return "Edit table name";
    case Msg::DeleteTable:
      return "Delete table";
    case Msg::ValidateSelection:
      return "Validate selection";
    case Msg::TableNameTitle:
      return "Table name";
    case Msg::TableNameUsedAlready:
      return "This name is used already. Thanks to create a new one";

    // The program's own messages
    case Msg::UnsafeTableName:
      return "A table name cannot be \".\" or \"..\", nor contain slashes, the characters "
             "< > : \" | ? *, control characters or characters outside Windows-1252";
    case Msg::MaterialNameTooLong:
      return "A material name can hold at most 51 characters, please enter a shorter name";
    case Msg::MaterialNameInvalidCharacters:
      return "A material name cannot hold a colon, a line break or characters outside the "
             "Western European character set, please enter another name";
    case Msg::FileNotSaved:
      return "Unable to save %1:\n%2";
    case Msg::InvalidTimerPeriod:
      return "Invalid timer period %1 ms: it must be greater than 0";
    case Msg::TimerPeriodTooShortForPause:
      return "Timer period %1 ms too short for a pause: it must be at least 1/126 ms";
    case Msg::InvalidScrewThread:
      return "Invalid screw thread on %1 axis: %2 mm, it must be greater than 0";
    case Msg::InvalidStepsPerRevolution:
      return "Invalid steps per revolution on %1 axis: %2, it must be greater than 0";
    case Msg::InvalidMinimumStepTime:
      return "Invalid minimum time between steps on %1 axis: %2 ms, it must not be negative";
    case Msg::InvalidBacklashSpeed:
      return "Invalid backlash compensation speed on %1 axis: %2 percent, it must be greater than 0";
    case Msg::InvalidBlockWidth:
      return "Invalid block width: %1 mm, it must be greater than 0, ";
    case Msg::InvalidMoveValue:
      return "Invalid move: a value is not a finite number, ";
    case Msg::MoveTooLong:
      return "Move too long: more than %1 step entries needed, ";
    case Msg::PleaseEnterAnInteger:
      return "Please enter an integer.";
    case Msg::InvalidTestCutSpacing:
      return "Invalid test cut spacing: %1 mm, it must be at least 1 mm";
    case Msg::NoTestCut:
      return "No test cut: the height (%1 mm) must be greater than the spacing (%2 mm)";
    case Msg::TooManyTestCuts:
      return "Too many test cuts: %1, at most %2";
    case Msg::InvalidTestCutWidths:
      return "Invalid block widths: %1 mm and %2 mm, both must be greater than 0";
    case Msg::InvalidCutSpeed:
      return "Invalid cut speed: %1 mm/s, it must be greater than 0";
    case Msg::CutScriptTooLong:
      return "Cut script too long: at most %1 moves and %2 step entries can be run, ";
    case Msg::FilterGcodeFiles:
      return "G-code (*.ngc;*.nc;*.gcode)";
    case Msg::GcodeCannotWrite:
      return "G-code cannot be written: %1";
    case Msg::GcodeBadAxisLetters:
      return "the axis letters \"%1\" are not four distinct letters of X Y Z A B C U V W";
    case Msg::GcodeBadSpindleMax:
      return "the spindle value of full heat must be a positive number";
    case Msg::GcodeBadMove:
      return "move %1 (%2) has a duration or position that is not a valid number";
    case Msg::SettingsFileNotFound:
      return "Settings file not found: %1";
    case Msg::DataDirectoryNotFound:
      return "Data directory not found: %1";
    case Msg::KnownTables:
      return "Tables: %1";
    case Msg::KnownFoams:
      return "Foams: %1";
    case Msg::AmbiguousFoam:
      return "Foam \"%1\" matches several foams: %2";
    case Msg::MustBeGreaterThanZero:
      return "%1: must be greater than 0 mm";
    case Msg::SectionOutsideBlock:
      return "%1: the section reaches from %2 to %3 mm, outside its block (0 to foamThickness "
             "%4 mm); change basicHeight or foamThickness";
    case Msg::PlacementOffsetX0:
      return "Every tower target stays in travel with offsetX0 = %1 mm (now %2 mm)";
    case Msg::PlacementRootAxisOffset:
      return "or with rootAxisOffset = %1 mm (now %2 mm)";
    case Msg::DatPercentCoordinates:
      return "the coordinates are in percent of the chord, not fractions";
    case Msg::DatTooFewPoints:
      return "too few points";
    case Msg::DatCountHeader:
      return "the header announces more points than follow";
    case Msg::GcodeStartPosition:
      return "Start position, wire cold";

    // Views: profile view and wing view legends
    case Msg::UnitMm:
      return "mm";
    case Msg::SectionLegendWing:
      return "%s, %5.3f %s c, %5.3f %s s, %5.3f%%cmb, %5.3f%%thk";
    case Msg::SectionLegendOutline:
      return "%s, %5.3f %s c";
    case Msg::LgMm:
      return "Lg (mm)";
    case Msg::SurfDm2:
      return "Surf.(dm2)";
    case Msg::ParenthesisedMm:
      return "(mm)";
    case Msg::DdDegPerMm:
      return "Dd (°/mm)";
    case Msg::MmBlank:
      return "mm ";
    case Msg::SurfEquals:
      return "Surf=";
    case Msg::Dm2:
      return "dm2";
    case Msg::Root:
      return "Root";
    case Msg::Tip:
      return "Tip";
    case Msg::Panel:
      return "Panel";
    case Msg::AvC:
      return "Av.C";
    case Msg::DistRootAvC:
      return "Dist root-Av.C=";
    case Msg::WingSummaryLead:
      return "";
    case Msg::CrMm:
      return "Cr (mm)";
    case Msg::CtMm:
      return "Ct (mm)";
    case Msg::Le:
      return "LE";
    case Msg::Te:
      return "TE";

    // Frames, tool bars and zoom lists
    case Msg::ProfilToolBarTitle:
      return "Profil";
    case Msg::AileToolBarTitle:
      return "Aile";
    case Msg::Zoom0p5Percent:
      return "0.5%";
    case Msg::Zoom1Percent:
      return "1%";
    case Msg::Zoom2p5Percent:
      return "2.5%";
    case Msg::Zoom5Percent:
      return "5%";
    case Msg::Zoom7p5Percent:
      return "7.5%";
    case Msg::Zoom10Percent:
      return "10%";
    case Msg::Zoom12Percent:
      return "12%";
    case Msg::Zoom15Percent:
      return "15%";
    case Msg::Zoom25Percent:
      return "25%";
    case Msg::Zoom50Percent:
      return "50%";
    case Msg::Zoom75Percent:
      return "75%";
    case Msg::Zoom100Percent:
      return "100%";
    case Msg::Zoom120Percent:
      return "120%";
    case Msg::Zoom150Percent:
      return "150%";
    case Msg::Zoom200Percent:
      return "200%";
    case Msg::Zoom500Percent:
      return "500%";
    case Msg::Zoom1000Percent:
      return "1000%";
    case Msg::Zoom2000Percent:
      return "2000%";
    // The desktop program
    case Msg::Ready:
      return "Ready";
    case Msg::HelpOnButtonsAndMenus:
      return "Help on buttons and menus";
    case Msg::ProfileZoomTip:
      return "Profile zoom";
    case Msg::WingZoomTip:
      return "Wing zoom";
    case Msg::AboutTitle:
      return "About ORVA";
    case Msg::AboutVersion:
      return "ORVA Version %1";
    case Msg::HelpWindowTitle:
      return "ORVA Help";
    case Msg::PrintFailed:
      return "Unable to print: %1";
    case Msg::NewProjectTip:
      return "Create a new project";
    case Msg::OpenProjectTip:
      return "Open an existing project";
    case Msg::SaveProjectTip:
      return "Save the project";
    case Msg::AboutTip:
      return "Program information and version";
    case Msg::NewPanelTip:
      return "Add a new panel at the end of the wing";
    case Msg::DeletePanelTip:
      return "Delete the current panel";
    case Msg::MainToolBarTitle:
      return "Standard";
    case Msg::ExitSaveFailed:
      return "These files could not be saved:\n%1";
    case Msg::ProfileWindowSuffix:
      return " - Profile";
    case Msg::WingWindowSuffix:
      return " - Wing";

    // Menus: titles and entries (command ids in the comments)
    case Msg::MenuView:
      return "&View";
    case Msg::MenuProject:
      return "Project";
    case Msg::MenuPanelManagement:
      return "Panel management";
    case Msg::MenuOrva:
      return "ORVA";
    case Msg::MenuHelp:
      return "&Help";
    case Msg::MenuNew:
      return "&New";
    case Msg::MenuOpen:
      return "&Open...";
    case Msg::MenuSave:
      return "&Save";
    case Msg::MenuSaveAs:
      return "Save as...";
    case Msg::MenuExport:
      return "&Export";
    case Msg::MenuScriptExecution:
      return "Script Execution";
    case Msg::MenuPrint:
      return "&Print...";
    case Msg::MenuPrintingPreview:
      return "Printing Preview";
    case Msg::MenuPrintingConfiguration:
      return "Printing &Configuration";
    case Msg::MenuRecentFile:
      return "Recent file";
    case Msg::MenuQuit:
      return "&Quit";
    case Msg::MenuProfiles:
      return "Profiles";
    case Msg::MenuWing:
      return "Wing";
    case Msg::MenuToolBar:
      return "&Tool bar";
    case Msg::MenuProfilBar:
      return "&Profil bar";
    case Msg::MenuProfileBar:
      return "&Profile bar";
    case Msg::MenuWingBar:
      return "&Wing bar";
    case Msg::MenuPanelBar:
      return "&Panel bar";
    case Msg::MenuStatusBar:
      return "&Status bar";
    case Msg::MenuCascade:
      return "&Cascade";
    case Msg::MenuTile:
      return "&Tile";
    case Msg::MenuArrangeIcons:
      return "&Arrange Icons";
    case Msg::MenuTableManagement:
      return "Table management...";
    case Msg::MenuTablesManagement:
      return "Tables management...";
    case Msg::MenuTableConfiguration:
      return "Table configuration...";
    case Msg::MenuFoamManagement:
      return "Foam management...";
    case Msg::MenuTimerTuningEllipsis:
      return "Timer tuning...";
    case Msg::MenuTimerTuning:
      return "Timer tuning";
    case Msg::MenuZeroAxis:
      return "Zero Axis...";
    case Msg::MenuFiles:
      return "Files...";
    case Msg::MenuNewAtEnd:
      return "New at end";
    case Msg::MenuNewBeforeCurrent:
      return "New before current";
    case Msg::MenuNewAfterCurrent:
      return "New after current";
    case Msg::MenuDeleteCurrent:
      return "Delete current";
    case Msg::MenuSplitCurrent:
      return "Split current";
    case Msg::MenuEllipticalWing:
      return "Elliptical wing";
    case Msg::MenuCurrentPanelConfiguration:
      return "Current &Panel Configuration...";
    case Msg::MenuRootProfile:
      return "Root profile...";
    case Msg::MenuTipProfile:
      return "Tip Profile...";
    case Msg::MenuSpars:
      return "Spars...";
    case Msg::MenuXLeadingEdge:
      return "X leading edge...";
    case Msg::MenuComments:
      return "Comments...";
    case Msg::MenuPanelCut:
      return "Panel cut...";
    case Msg::MenuFoamCut:
      return "Foam Cut...";
    case Msg::MenuBlockShaping:
      return "Block shaping...";
    case Msg::MenuTestCut:
      return "Test cut...";
    case Msg::MenuOnlineHelp:
      return "Online Help";
    case Msg::MenuAbout:
      return "&About...";
    case Msg::MenuDelete:
      return "Delete";
    case Msg::MenuInsertNewBeforeCurrent:
      return "Insert new before current";
    case Msg::MenuInsertNewAfterCurrent:
      return "Insert new after current";
    case Msg::MenuPanelConfiguration:
      return "Panel Configuration...";
    case Msg::MenuPanelCutPopup:
      return "Panel Cut...";
    case Msg::MenuFile:
      return "&File";
    case Msg::MenuWindow:
      return "&Window";

    // Command texts: options, edge treatments, alignments, buttons, descriptions
    case Msg::HorizontalTeProlongation:
      return "Horizontal TE prolongation ";
    case Msg::TeProlongationMeanCord:
      return "TE prolongation mean cord";
    case Msg::SymmetricTeProlongation:
      return "Upper and lower surface TE prolongation for symetric profile";
    case Msg::TeProlongationUpperSurface:
      return "TE prolongation upper surface";
    case Msg::NoCutAtLe:
      return "No cut at LE";
    case Msg::HorizontalCutAtLe:
      return "Horizontal cut at LE";
    case Msg::XCutAtLe:
      return "X cut at LE";
    case Msg::XLeadingEdgeProlongation:
      return "X leading edge prolongation";
    case Msg::ComputeWithSplines:
      return "Compute intermediate coordinates using splines";
    case Msg::SuperposedProfiles:
      return "Superposed profiles";
    case Msg::DisplayLegends:
      return "Display legends";
    case Msg::DisplayProfilesWithoutSweepBack:
      return "Display profiles without sweep-back";
    case Msg::DisplayLeOnTop:
      return "Display LE on top";
    case Msg::DisplayFullWing:
      return "Display full wing";
    case Msg::DisplayCutCoordinates:
      return "Display of cut coordinates";
    case Msg::DisplayProfileCoordinates:
      return "Display of profile coordinatesl";
    case Msg::PanelAlignmentUpperSide:
      return "Panel alignement on upper side";
    case Msg::PanelAlignmentLowerSide:
      return "Panel alignement on lower side";
    case Msg::PanelAlignmentMiddle:
      return "Panel alignement on middle";
    case Msg::PanelAndMarginsAlignment:
      return "Panel and margins alignement";
    case Msg::StartFerolo:
      return "Start Ferolo";
    case Msg::DisplayProfileView:
      return "Display profile view";
    case Msg::DisplayWingView:
      return "Display wing view";
    case Msg::ExportDocumentToText:
      return "Export document to text";
    case Msg::StartOfWingCut:
      return "Start of wing cut";
    case Msg::StartOfBlockShaping:
      return "Start of block shaping";
    case Msg::TestCutForWireKerfCalibration:
      return "Test cut for wire kerf calibration";
    case Msg::VerticalCut:
      return "Vertical cut";
    case Msg::CuttingFromCutFile:
      return "Cutting from a cut file";
    case Msg::ManualWireMoveToZero:
      return "Manual wire move to zero";
    case Msg::SparConfiguration:
      return "Spar configuration";
    case Msg::PrintProject:
      return "Print project";
  }
  return std::nullopt;
}

bool isStringTableNumber(int value) {
  return value == 100 || (value >= 10000 && value < kValueLimit);
}

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

std::span<const Msg> allMessageIds() {
  static const std::vector<Msg> ids = [] {
    std::vector<Msg> found;
    for (int value = 0; value < kValueLimit; ++value) {
      if (findText(static_cast<Msg>(value))) found.push_back(static_cast<Msg>(value));
    }
    return found;
  }();
  return ids;
}

}  // namespace orva
