// Where the element shows each part of the control: the grid of every form
// and frame, and where each dialog first stands.

// The panel's form; every other form is one of its dialogs.
export const PANEL = 'MainCtl';

// The model has no positions: these tables place each element
// in a CSS grid of its frame ([row, column, row span, column span]). An
// element that no table names is still shown, after the placed ones.
export const LAYOUTS = {
  MainCtl: {
    '': { columns: '940px 314px', cells: { Frame3: [1, 1, 2, 1], Frame1: [1, 2], Frame5: [2, 2] } },
    Frame3: { columns: '488px 1fr', cells: { ScenarioFrame: [1, 1, 1, 2], AssumptionFrame: [2, 1], FrameDetail: [2, 2] } },
    ScenarioFrame: {
      columns: '134px 104px 56px 1fr 96px 92px 92px',
      cells: {
        'CaptionTxtScenario(0)': [1, 1], 'TxtScenario(0)': [1, 2],
        'CaptionTxtScenario(1)': [2, 1], 'TxtScenario(1)': [2, 2],
        'CaptionTxtScenario(2)': [3, 1], 'TxtScenario(2)': [3, 2],
        'CaptionTxtScenario(3)': [4, 1], 'TxtScenario(3)': [4, 2],
        CaptionTxtDate: [5, 1], TxtDate: [5, 2],
        'CaptionTxtScenario(4)': [6, 1], 'TxtScenario(4)': [6, 2],
        CaptionComboTuner: [7, 1], ComboTuner: [7, 2], 'TxtScenario(5)': [7, 3],
        CaptionDescriptionFld: [8, 1], DescriptionFld: [8, 2, 1, 2],
        CaptionComboScenario: [9, 1], ComboScenario: [9, 2, 1, 2],
        CaptionComboAutoLoad: [10, 1], ComboAutoLoad: [10, 2],
        CaptionScenarioLst: [1, 4], CaptionLstImpact: [1, 5],
        ScenarioLst: [2, 4, 7, 1], LstImpact: [2, 5, 7, 1],
        CaptionLabelImpact: [9, 4], LabelImpact: [9, 5, 2, 1],
        ScenarioAddBtn: [1, 6], DeleteBtn: [1, 7],
        BtnModify: [2, 6], BtnUptTuner: [2, 7],
        BtnRetrieve: [3, 6], BtnSave: [3, 7],
        BtnDelScenario: [4, 6], BtnScenMatrix: [4, 7],
        UpdateBtn: [6, 6, 1, 2], CmdDebug: [8, 6, 1, 2],
      },
    },
    AssumptionFrame: {
      columns: '88px 72px 76px 38px 78px 1fr',
      cells: {
        'CaptionTxtAssumptions(0)': [1, 1], 'TxtAssumptions(0)': [1, 2], CaptionTxtDelta: [1, 3], TxtDelta: [1, 4],
        'CaptionTxtAssumptions(5)': [1, 5], 'TxtAssumptions(5)': [1, 6],
        'CaptionTxtAssumptions(1)': [2, 1], 'TxtAssumptions(1)': [2, 2],
        'CaptionTxtAssumptions(6)': [2, 5], 'TxtAssumptions(6)': [2, 6],
        'CaptionTxtAssumptions(2)': [3, 1], 'TxtAssumptions(2)': [3, 2],
        'CaptionTxtAssumptions(7)': [3, 5], 'TxtAssumptions(7)': [3, 6],
        CaptionCallAdjustmentComb: [4, 1], CallAdjustmentComb: [4, 2],
        'CaptionTxtAssumptions(3)': [4, 3], 'TxtAssumptions(3)': [4, 4],
        CaptionCurveComboBox: [4, 5], CurveComboBox: [4, 6],
        'CaptionTxtAssumptions(4)': [5, 1], 'TxtAssumptions(4)': [5, 2],
        'CaptionTxtAssumptions(8)': [5, 3], 'TxtAssumptions(8)': [5, 4],
        'CaptionTxtAssumptions(9)': [5, 5], 'TxtAssumptions(9)': [5, 6],
        CaptionComboDisc: [6, 1], ComboDisc: [6, 2], LabelRatioAdj: [6, 3, 1, 2],
        CaptionComboDivType: [6, 5], ComboDivType: [6, 6],
        CaptionTxtDiscrYrs: [7, 1], TxtDiscrYrs: [7, 2],
        CheckBnkrpcy: [8, 1], ComboRecv: [8, 2, 1, 2], TxtRecvDecVal: [8, 4, 1, 2],
        CaptionLbFxRateToUSD: [9, 1], LbFxRateToUSD: [9, 2],
        BtnCapital: [9, 3, 1, 2], LbCapital: [9, 5, 1, 2],
      },
    },
    FrameDetail: {
      columns: '90px 54px 54px 92px 54px 54px',
      cells: {
        HeaderCurrentLeft: [1, 2], HeaderEstimatedLeft: [1, 3],
        HeaderCurrentRight: [1, 5], HeaderEstimatedRight: [1, 6],
      },
    },
    Frame1: { columns: '1fr', cells: { FrameSecurity: [1, 1], LabelProgress: [2, 1] } },
    FrameSecurity: {
      columns: '1fr 76px 76px',
      cells: { QuickSearchFld: [1, 1], AddBtn: [1, 2], RemoveBtn: [1, 3], LstSecurity: [2, 1, 1, 3] },
    },
    Frame5: { columns: '112px 1fr 1fr', cells: { HeaderTotalsCurrent: [1, 2], HeaderTotalsEstimate: [1, 3] } },
  },
  DlgCarry: {
    '': {
      columns: '120px 84px 20px 120px 84px',
      cells: {
        CaptionTxtFinRate: [1, 1], TxtFinRate: [1, 2], CaptionTxtRebRate: [1, 4], TxtRebRate: [1, 5],
        CaptionTxtTailRate: [2, 1], TxtTailRate: [2, 2], CaptionTxtBrwCost: [2, 4], TxtBrwCost: [2, 5],
        OptFullCarry: [10, 1, 1, 2], OptNetCarry: [10, 4, 1, 2],
        OKButton: [11, 2], CancelButton: [11, 4],
      },
    },
  },
  DlgScenMatrix: {
    '': {
      columns: '84px repeat(5, 90px)',
      cells: {
        'CaptionRow(0)': [2, 1], 'CaptionRow(1)': [3, 1], 'CaptionRow(2)': [4, 1],
        CaptionComboTuner: [5, 1], ComboTuner: [5, 2, 1, 2], TxtTunerVal: [5, 4],
        OKButton: [6, 5], CancelButton: [6, 6],
      },
    },
  },
  DlgCapital: {
    '': {
      columns: '96px 150px',
      cells: {
        LbCapitalRule: [1, 1], ComboCpRule: [1, 2], LbConvRate: [2, 1], TxtConvRate: [2, 2],
        LbStkRate: [3, 1], TxtStkRate: [3, 2], OKButton: [4, 1], CancelButton: [4, 2],
      },
    },
  },
  DlgAddSec: {
    '': { columns: '260px 84px', cells: { SecSelList: [1, 1, 3, 1], AddButton: [1, 2], CloseButton: [2, 2] } },
  },
};

// Where each dialog first stands: beside what it belongs to, so that the
// panel stays usable next to it.
export const DIALOG_PLACES = {
  DlgAddSec: [600, 40],
  DlgScenMatrix: [16, 60],
  DlgCarry: [500, 300],
  DlgCapital: [150, 420],
};

// The valuation panel's rows: caption, current and estimated members.
(function placeValuationRows() {
  const cells = LAYOUTS.MainCtl.FrameDetail.cells;
  const left = [[0, 15], [1, 16], [2, 17], [8, 23], [9, 24], [4, 19], [5, 20], [6, 21], [7, 22], [14, 29]];
  const right = [[3, 18], [10, 25], [11, 26], [12, 27], [13, 28]];
  left.forEach(([cur, est], i) => {
    cells[`CaptionLabelValuation(${cur})`] = [i + 2, 1];
    cells[`LabelValuation(${cur})`] = [i + 2, 2];
    cells[`LabelValuation(${est})`] = [i + 2, 3];
  });
  right.forEach(([cur, est], i) => {
    cells[`CaptionLabelValuation(${cur})`] = [i + 2, 4];
    cells[`LabelValuation(${cur})`] = [i + 2, 5];
    cells[`LabelValuation(${est})`] = [i + 2, 6];
  });
  cells['CaptionLabelValuation(30)'] = [7, 4];
  cells['LabelValuation(30)'] = [7, 5, 1, 2];
  const pairsLeft = ['LbDolDelta', 'LbDolGamma', 'LbDolRho', 'LbDolVega', 'LbDolCSprd01'];
  const pairsRight = ['LbGamShrs', 'LbDolDelShrs', 'LbDelShrs', 'LbEffDelta'];
  pairsLeft.forEach((name, i) => {
    cells[`Caption${name}(0)`] = [i + 12, 1];
    cells[`${name}(0)`] = [i + 12, 2];
    cells[`${name}(1)`] = [i + 12, 3];
  });
  pairsRight.forEach((name, i) => {
    cells[`Caption${name}(0)`] = [i + 8, 4];
    cells[`${name}(0)`] = [i + 8, 5];
    cells[`${name}(1)`] = [i + 8, 6];
  });
  Object.assign(cells, {
    BtnCarry: [13, 4], LbCarry: [13, 5, 1, 2],
    CaptionComboTuner2: [15, 4], ComboTuner2: [16, 4, 1, 2], TxtTunerVal: [16, 6],
  });
  const totals = LAYOUTS.MainCtl.Frame5.cells;
  ['LbDolDeltaTol', 'LbDolGamTol', 'LbDolRhoTol', 'LbDolVegaTol', 'LbDolCSprd01Tot', 'LbGamShrsTot', 'LbDolDelShrsTot']
    .forEach((name, i) => {
      totals[`Caption${name}(0)`] = [i + 2, 1];
      totals[`${name}(0)`] = [i + 2, 2];
      totals[`${name}(1)`] = [i + 2, 3];
    });
  const carry = LAYOUTS.DlgCarry[''].cells;
  for (let k = 0; k < 12; k++) {
    const row = 3 + (k % 6), col = k < 6 ? 1 : 4;
    carry[`CaptionLbCarryVal(${k})`] = [row, col];
    carry[`LbCarryVal(${k})`] = [row, col + 1];
  }
  const matrix = LAYOUTS.DlgScenMatrix[''].cells;
  ['TxtStk', 'TxtVol', 'TxtCrdSprd', 'TxtRate', 'TxtTime'].forEach((name, c) => {
    matrix[`Caption${name}`] = [1, c + 2];
    for (let r = 0; r < 3; r++) matrix[`${name}(${r})`] = [r + 2, c + 2];
  });
})();
