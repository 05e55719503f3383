// Reads module matrices (merovask-cli encode -t matrix) with the newest zxing-cpp built to
// WebAssembly (npm zxing-wasm, the version pinned in package.json), for
// bench/small_symbols_roundtrip.
//
//   node bench/corpus/zxing_wasm_matrices.mjs LIST
//
// LIST has one line per symbol, "FORMAT VERSION TEXT_FILE MATRIX_FILE": the format and version
// zxing-cpp should report (MicroQRCode M3, RMQRCode R13x77), the file holding the exact text,
// and the matrix as rows of 1 and 0. Each is drawn black on white at 4 pixels per module with a
// two-module quiet zone and read for QR, Micro QR and rMQR. Prints one line per symbol that did
// not read back exactly, then "N of M read back"; the exit status is 1 unless all did.
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { prepareZXingModule, readBarcodes } from "zxing-wasm/reader";

const require = createRequire(import.meta.url);
const wasmBinary = readFileSync(require.resolve("zxing-wasm/reader/zxing_reader.wasm"));
await prepareZXingModule({ overrides: { wasmBinary }, fireImmediately: true });

const scale = 4;
const quiet = 2;
const options = { formats: ["QRCode", "MicroQRCode", "rMQRCode"], tryRotate: false, tryInvert: false };
let total = 0;
let right = 0;
for (const line of readFileSync(process.argv[2], "utf8").split("\n")) {
  if (!line) continue;
  const [format, version, textFile, matrixFile] = line.split(" ");
  const text = readFileSync(textFile, "utf8");
  const rows = readFileSync(matrixFile, "utf8").split("\n").filter((r) => r.length > 0);
  const width = (rows[0].length + 2 * quiet) * scale;
  const height = (rows.length + 2 * quiet) * scale;
  const data = new Uint8ClampedArray(width * height * 4).fill(255);
  rows.forEach((row, y) => {
    for (let x = 0; x < row.length; ++x) {
      if (row[x] !== "1") continue;
      for (let dy = 0; dy < scale; ++dy)
        for (let dx = 0; dx < scale; ++dx) {
          const i = (((y + quiet) * scale + dy) * width + (x + quiet) * scale + dx) * 4;
          data[i] = data[i + 1] = data[i + 2] = 0;
        }
    }
  });
  const results = (await readBarcodes({ width, height, data }, options)).filter((r) => r.isValid);
  ++total;
  const r = results[0];
  if (results.length === 1 && r.text === text && r.format === format && r.version === version) {
    ++right;
  } else {
    const got = results.map((x) => `${x.format} ${x.version} ${JSON.stringify(x.text)}`).join("; ") || "nothing";
    process.stdout.write(`${format} ${version} ${JSON.stringify(text)}: read ${got}\n`);
  }
}
process.stdout.write(`${right} of ${total} read back\n`);
process.exit(right === total && total > 0 ? 0 : 1);
